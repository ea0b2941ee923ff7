// The arithmetic of DPI scaling: supported rates, the rate for a DPI, scaling values and choosing among
// pre-drawn DPI images. Portable; the settings object that measures the screen is BkDpi.h.
#pragma once

#include <functional>
#include <string>
#include <vector>

constexpr const wchar_t* kBkDefaultSupportRates = L"1.0|1.2|1.5|1.7|2.0|2.2|2.5|2.7|3.0";

// Pieces separated by '|', each read like _wtof (leading number, else 0); empty pieces are skipped.
std::vector<double> BkParseSupportRates(const std::wstring& text);

// The last supported rate (scanning from the end) not greater than dpi / 96; 1.0 when there is none or it is
// below 1.0.
float BkPickRate(int dpi, const std::vector<double>& rates);

// value × rate in extended precision, truncated toward zero; saturates at the int range.
int BkScaleByRate(int value, float rate);
// value ÷ rate, truncated; a rate that is not positive leaves the value as it is.
int BkUnscaleByRate(int value, float rate);

// "<folder>\<r>\<program>\<id>_<r>.png" with r written with one decimal.
std::wstring BkDpiImagePath(const std::wstring& folder, float rate, const std::wstring& program, int imageId);

// Which pre-drawn rate to use for the current rate: the current one when its image exists, else the existing
// supported rate above 1.0 nearest to it (the larger on a tie), accepted only when it is no farther from the
// current rate than 1.0 is. Answers 0 for none (always none at rate 1.0).
double BkChooseDpiImageRate(float current, const std::vector<double>& rates,
                            const std::function<bool(double rate)>& imageExists);
