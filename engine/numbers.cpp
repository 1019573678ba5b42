#include "numbers.h"
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>
std::size_t ScanFloatText(const char* text, const char* end, float* value) {
    std::string s(text, end); char* e; float v = strtof(s.c_str(), &e);
    if (e == s.c_str()) return 0; *value = v; return e - s.c_str(); }
std::size_t ScanIntText(const char* text, const char* end, std::int32_t* value) {
    std::string s(text, end); char* e; long v = strtol(s.c_str(), &e, 0);
    if (e == s.c_str()) return 0; *value = (int32_t)v; return e - s.c_str(); }
std::size_t RenderFixed(double v, int decimals, char* out) { return snprintf(out, kMaxFixedText, "%.*f", decimals, v); }
std::size_t RenderInt(std::int32_t v, char* out) { return snprintf(out, 12, "%d", (int)v); }
