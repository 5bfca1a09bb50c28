// The configuration file: every setting as a key=value line, read once at
// start-up and rewritten whole at a clean exit.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

class ConfigFile {
public:
    // Loads the settings from sConfigPath; keys the file lacks keep their value.
    void Read();
    // Same parse over text held in memory: lines end at CR or LF, and a last
    // line without a line end is not used.
    void ReadText(std::string_view text);
    // Replaces sConfigPath with all settings. The new text goes to a
    // temporary file beside it and is renamed into place only when complete,
    // so a failed write leaves the old file whole. Only a regular file the
    // user may write (or none) is replaced, never a log; a file with several
    // links, or one whose directory refuses a new file, is rewritten in place.
    void Write();
    // After a Write that did not save: one line for standard error saying
    // so and why; empty after a save.
    std::string NotSavedLine() const;

    // Writes every setting in file order, or takes the line's key and
    // value (frame/settingslist.h holds the keys).
    void Exchange();

    // Writes key + "=" + value + "\n".
    void WriteItem(const std::string& key, const std::string& value);
    // Writes the text; a short write marks the whole pass as failed.
    void WriteText(const std::string& text);

private:
    void Feed(const char* bytes, size_t count);
    void TakeLine();
    bool FinishFile(const std::string& tempPath, const std::string& target);
    void NotWritten(const std::string& why);
    void Failed(int error);
    void DropTempFile(const std::string& tempPath);

    bool writing = false;
    bool failed = false;
    FILE* file = nullptr;
    std::string key;
    std::string value;
    std::string line;
    std::string notSaved;  // why the last Write saved nothing
};
