// The user's choices, one process-wide variable per configuration key, plus
// the other process-wide values that start from a fixed initial value. The
// settings themselves are declared once, in frame/settingslist.h.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

// Which whole numbers a setting set by key may take.
struct SettingBounds {
    int low;
    int high;
};
constexpr SettingBounds kAnyValue{INT_MIN, INT_MAX};
constexpr SettingBounds Bounds(int low, int high) { return {low, high}; }

#define SETTING(type, name, value, bounds) extern type name;
#include "frame/settingslist.h"
#undef SETTING

// Extension given to report file names.
extern const char* const sReportExtension;
// Text shown by the 'd' key; nothing writes it.
extern std::string sDebugText;
// Code of the risky operation under way, printed by the fault handler.
extern int iFaultCode;

// Puts every setting back to its default (used at start and by tests).
void ResetSettings();

// The settings' names (their configuration keys) in file order.
const std::vector<std::string>& SettingNames();
// The value of the setting named key as the configuration file writes it
// ("yes"/"no", digits, "0.750000", the text); empty for an unknown key.
std::string SettingText(const std::string& key);
// Takes a value as the configuration file holds it, forgivingly: for a
// yes/no setting anything but "yes" is no, a number is read as far as it
// goes. False (nothing changed) for an unknown key.
bool ReadSettingText(const std::string& key, const std::string& text);

// What SetSettingFromText made of a key and a value.
enum eSettingSet {
    eSettingTaken,
    eSettingUnknownKey,  // no setting has this name
    eSettingBadValue,    // the text is not a value of the setting's type or lies out of bounds
};
// Sets the setting named key from text, strictly: a yes/no setting takes
// "yes" or "no"; a whole number takes only digits with an optional sign,
// within the setting's bounds; a fractional one a finite decimal number; a
// text anything without a line end. On eSettingBadValue the setting keeps its value and, when
// why is given, it gets what the setting takes, e.g. "a whole number from
// 45 to 256".
eSettingSet SetSettingFromText(const std::string& key, const std::string& text, std::string* why = nullptr);
