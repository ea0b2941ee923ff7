// The limit of this stack: a bare libcurl transfer with default settings into a file, under the same Wine.
// Usage: bench_download_curl <url> <output file>. Prints the milliseconds of the transfer alone.
#include <curl/curl.h>
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    curl_global_init(CURL_GLOBAL_ALL);
    FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) return 3;
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, argv[1]);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, out);  // libcurl's own fwrite
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    const CURLcode rc = curl_easy_perform(easy);
    std::fclose(out);
    QueryPerformanceCounter(&end);
    curl_easy_cleanup(easy);
    std::printf("%.1f\n", 1000.0 * (end.QuadPart - start.QuadPart) / freq.QuadPart);
    return rc == CURLE_OK ? 0 : 1;
}
