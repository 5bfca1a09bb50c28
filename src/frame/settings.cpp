#include "frame/settings.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <vector>

#include "frame/numbers.h"

#define SETTING(type, name, value, bounds) type name;
#include "frame/settingslist.h"
#undef SETTING

const char* const sReportExtension = ".txt";
std::string sDebugText;
int iFaultCode = 0;

void ResetSettings()
{
#define SETTING(type, name, value, bounds) name = value;
#include "frame/settingslist.h"
#undef SETTING
}

namespace {

// Settings hold their defaults from the very start of the process.
[[maybe_unused]] const bool bDefaultsAtStart = [] {
    ResetSettings();
    return true;
}();

// Calls visit(variable, bounds) for the setting named key; false when no
// setting has that name.
template <typename Visitor>
bool VisitSetting(const std::string& key, Visitor&& visit)
{
#define SETTING(type, name, value, bounds) \
    if (key == #name)                      \
        return visit(name, bounds), true;
#include "frame/settingslist.h"
#undef SETTING
    return false;
}

// A decimal number into float range: a value beyond it becomes an
// infinity rather than an undefined conversion.
float FloatRange(double d)
{
    if (d > FLT_MAX)
        return HUGE_VALF;
    if (d < -FLT_MAX)
        return -HUGE_VALF;
    return static_cast<float>(d);
}

// The plain "%f" form wherever it reads back as the same value (so the
// defaults stay 0.750000 and 1.000000); otherwise as many more decimals as
// it takes, so that a small value such as 0.0000001 is not saved as 0.
std::string FloatText(float value)
{
    // Room for any float in fixed notation: 39 integer digits at most, and
    // the smallest ones need about 50 decimals to read back.
    char buf[160];
    for (int decimals = 6; decimals <= 60; ++decimals) {
        int n = snprintf(buf, sizeof buf, "%.*f", decimals, static_cast<double>(value));
        if (n < 0 || n >= static_cast<int>(sizeof buf))
            return "0.000000";
        if (!std::isfinite(value) || FloatRange(LeadingDecimal(buf)) == value)
            break;
    }
    return buf;
}

struct WriteForm {
    std::string& out;
    void operator()(bool v, SettingBounds) const { out = v ? "yes" : "no"; }
    void operator()(int v, SettingBounds) const { out = std::to_string(v); }
    void operator()(float v, SettingBounds) const { out = FloatText(v); }
    void operator()(const std::string& v, SettingBounds) const { out = v; }
};

// The configuration file's reading: forgiving, as it always was.
struct FileForm {
    const std::string& text;
    void operator()(bool& v, SettingBounds) const { v = text == "yes"; }
    void operator()(int& v, SettingBounds) const { v = LeadingIntWrapped(text); }
    void operator()(float& v, SettingBounds) const { v = FloatRange(LeadingDecimal(text)); }
    void operator()(std::string& v, SettingBounds) const { v = text; }
};

// A value given by key: only a value of the setting's kind, within bounds.
struct StrictForm {
    const std::string& text;
    std::string& why;
    void operator()(bool& v, SettingBounds) const
    {
        if (text == "yes" || text == "no")
            v = text == "yes";
        else
            why = "yes or no";
    }
    void operator()(int& v, SettingBounds bounds) const
    {
        int64_t n = 0;
        if (WholeNumber(text, n) && n >= bounds.low && n <= bounds.high)
            v = static_cast<int>(n);
        else
            why = "a whole number from " + std::to_string(bounds.low) + " to " + std::to_string(bounds.high);
    }
    void operator()(float& v, SettingBounds) const
    {
        char* end = nullptr;
        double d = strtod(text.c_str(), &end);
        bool whole = !text.empty() && text[0] != ' ' && text[0] != '\t' && end == text.c_str() + text.size();
        if (whole && std::isfinite(d) && std::fabs(d) <= FLT_MAX)
            v = static_cast<float>(d);
        else
            why = "a decimal number";
    }
    void operator()(std::string& v, SettingBounds) const
    {
        // A line end would start a line of its own in the configuration file.
        if (text.find_first_of("\r\n") == std::string::npos)
            v = text;
        else
            why = "a text without line ends";
    }
};

} // namespace

const std::vector<std::string>& SettingNames()
{
    static const std::vector<std::string> names = {
#define SETTING(type, name, value, bounds) #name,
#include "frame/settingslist.h"
#undef SETTING
    };
    return names;
}

std::string SettingText(const std::string& key)
{
    std::string text;
    VisitSetting(key, WriteForm{text});
    return text;
}

bool ReadSettingText(const std::string& key, const std::string& text)
{
    return VisitSetting(key, FileForm{text});
}

eSettingSet SetSettingFromText(const std::string& key, const std::string& text, std::string* why)
{
    std::string problem;
    if (!VisitSetting(key, StrictForm{text, problem}))
        return eSettingUnknownKey;
    if (problem.empty())
        return eSettingTaken;
    if (why != nullptr)
        *why = problem;
    return eSettingBadValue;
}
