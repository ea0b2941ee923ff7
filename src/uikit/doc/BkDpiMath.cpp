#include "uikit/doc/BkDpiMath.h"

#include <climits>
#include <cmath>
#include <cstdio>
#include <cwchar>

std::vector<double> BkParseSupportRates(const std::wstring& text) {
    std::vector<double> rates;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'|', start);
        if (end == std::wstring::npos) end = text.size();
        if (end > start) {
            const std::wstring piece = text.substr(start, end - start);
            rates.push_back(std::wcstod(piece.c_str(), nullptr));
        }
        start = end + 1;
    }
    return rates;
}

float BkPickRate(int dpi, const std::vector<double>& rates) {
    const double ratio = dpi / 96.0;
    for (auto it = rates.rbegin(); it != rates.rend(); ++it) {
        if (*it <= ratio) return *it < 1.0 ? 1.0f : static_cast<float>(*it);
    }
    return 1.0f;
}

int BkScaleByRate(int value, float rate) {
    const long double product = static_cast<long double>(rate) * value;
    if (!(product < static_cast<long double>(INT_MAX) + 1)) return INT_MAX;
    if (!(product > static_cast<long double>(INT_MIN) - 1)) return INT_MIN;
    return static_cast<int>(product);
}

int BkUnscaleByRate(int value, float rate) {
    if (!(rate > 0)) return value;
    const long double quotient = value / static_cast<long double>(rate);
    if (!(quotient < static_cast<long double>(INT_MAX) + 1)) return INT_MAX;
    if (!(quotient > static_cast<long double>(INT_MIN) - 1)) return INT_MIN;
    return static_cast<int>(quotient);
}

std::wstring BkDpiImagePath(const std::wstring& folder, float rate, const std::wstring& program, int imageId) {
    char number[64];
    std::snprintf(number, sizeof number, "%.1f", static_cast<double>(rate));
    std::wstring r(number, number + std::char_traits<char>::length(number));
    return folder + L"\\" + r + L"\\" + program + L"\\" + std::to_wstring(imageId) + L"_" + r + L".png";
}

double BkChooseDpiImageRate(float current, const std::vector<double>& rates,
                            const std::function<bool(double rate)>& imageExists) {
    if (current == 1.0f) return 0;
    if (imageExists(current)) return current;
    double best = 0;
    double bestDiff = 0;
    for (double rate : rates) {
        if (static_cast<float>(rate) == current || !(rate > 1.0) || !imageExists(rate)) continue;
        const double diff = std::fabs(rate - current);
        if (best == 0 || diff < bestDiff || (diff == bestDiff && rate > best)) {
            best = rate;
            bestDiff = diff;
        }
    }
    if (best == 0 || bestDiff > static_cast<double>(current) - 1.0) return 0;
    return best;
}
