#pragma once
// The settings file "Velmoranth.ini" in the current directory: the line "Version 1", then one
// "key value" line per setting.
//
// The readers take whitespace-separated pairs of a key and a number; a key that matches none
// of theirs, a number outside the key's range (or not finite, or not a number at all) and an
// overlong token are skipped, so one bad line costs only its own key. A missing file leaves
// every global as it is.

#include <string>

// The nine prop models' visible flags as the settings file sees them, in PropModels order:
// Table4, Table2, Stool, Speaker, SpotLight, Plant, Booth, VideoGame, TableGame. The
// application binds its models; with nothing bound every prop counts as missing.
constexpr int kPropModelCount = 9;
class PropVisibility {
public:
    virtual ~PropVisibility() = default;
    [[nodiscard]] virtual bool HasModel(int prop) const = 0;  // false while its file is missing
    [[nodiscard]] virtual int IsVisible(int prop) const = 0;
    virtual void SetVisible(int prop, int visible) = 0;
};
// The binding stays in force until replaced; nullptr unbinds. The object must outlive it.
void BindPropVisibility(PropVisibility* props);
// The binding in force, or nullptr.
[[nodiscard]] PropVisibility* BoundPropVisibility();

// The four report flags ("Report..." keys) only. 0 when read, 1 when the file cannot be opened.
[[nodiscard]] int ReadReportSettings();
// Every other key. 0 when read, 1 when the file cannot be opened.
[[nodiscard]] int ReadSettings();
// Writes every key. The file is written beside the old one under a temporary name and renamed
// over it, so a failure at any point leaves the old file as it was. A link is written through,
// to a regular file or one not there yet; anything else (a folder, a pipe, a device) is never
// replaced. 0 when written; 1 when not, and the user is told why in one message
// (ReportMessage, category Failure).
[[nodiscard]] int WriteSettings();
// The same without the message: `failure` gets its text, for a caller that shows it later.
[[nodiscard]] int WriteSettings(std::string& failure);
