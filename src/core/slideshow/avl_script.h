// Slideshow scripts (AVL files of the Reelmark editor, version 3.6): our own
// reader of their initialisation-file syntax, the per-slide values, the file
// finding and the transition codes.
#pragma once

#include "core/slideshow/random_source.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core::slideshow {

// An initialisation file as the system's profile functions read it: sections
// in square brackets, key = value lines; sections and keys compared ignoring
// case, blanks around "=" trimmed, CR LF or LF, the first of duplicates wins,
// lines starting with ";" ignored. Values are kept as they stand: no list
// splitting at commas, no backslash unescaping.
class IniFile {
  public:
    static IniFile Parse(std::string_view text);
    // Empty (every key absent) when the file cannot be read.
    static IniFile Load(const std::filesystem::path& path, bool* readable = nullptr);

    std::optional<std::string> Read(std::string_view section, std::string_view key) const;
    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;
    // A decimal integer (optional sign); absent or not a number gives `fallback`.
    std::int64_t ReadInteger(std::string_view section, std::string_view key,
                             std::int64_t fallback) const;
    bool HasSection(std::string_view section) const;

  private:
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

constexpr int kScriptVersion = 7;
inline constexpr const char* kScriptVersionWarning =
    "Only Reelmark v3.6 AVL files are supported.\nUse Reelmark slideshow editor to update AVL "
    "file.";
// What a slide without a comma in F gives: no file type matches it.
inline constexpr const char* kNoSlideName = "------------------------------";

// Decimal text as a number; nullopt for anything else (or out of range).
std::optional<std::int64_t> ParseDecimal(std::string_view text);
// Hexadecimal digits without a prefix, at most 8; nullopt otherwise.
std::optional<std::uint32_t> ParseHex(std::string_view text);

// Why a slide has no file.
enum class SlideSkip { None, NotASlide, BadDirectory, NotFound };
const char* SkipReasonName(SlideSkip reason);

// One slide as read from the script.
struct ScriptSlide {
    std::string fileName;                    // the F value's resolved file, or empty
    SlideSkip skip = SlideSkip::None;        // why fileName is empty (or kNoSlideName)
    std::optional<std::uint32_t> background; // B: 0x00BBGGRR; its presence sets ClearPending
    int gamma = 100;                         // G, 1..500
    int zoom = 100;                          // Z
    int x = -1, y = -1;                      // P; -1 = centred
    std::int32_t delayMs = 0;                // W x 1000 (W clamped to 0..2,147,483)
    int transition = 0;                      // X
};

constexpr std::int64_t kMaxHoldSeconds = 2147483;

class SlideScript {
  public:
    explicit SlideScript(std::filesystem::path path) : path_(std::move(path)) {}

    const std::filesystem::path& path() const { return path_; }

    // Each read opens the file afresh.
    int ScriptVersion() const;             // Ver, 1 when missing
    std::int64_t ScriptSlideCount() const; // N, 0 when missing
    ScriptSlide ReadScriptSlide(int k) const;

  private:
    std::filesystem::path path_;
};

// The slide values of section k of an already read file; files are looked
// for as the script at `scriptPath` names them.
ScriptSlide ReadSlideFrom(const IniFile& ini, int k, const std::filesystem::path& scriptPath);

// The file F names: `dirValue` is the Directory key's value, `name` the part
// before the comma. Names are matched exactly; "\" is a separator; a name with
// a drive letter is tried as written, with each drive letter C to Z, and last
// the file name beside the script.
std::optional<std::string> FindScriptFile(const std::string& dirValue, const std::string& name,
                                          const std::filesystem::path& scriptPath);

// The catalogue entries a transition code may name (one, two or four).
std::vector<int> TransitionEntries(int code);
// The entry for one slide: one draw of Trunc(100u) for every call (the first
// of two entries when it is at most 50), a second draw for the four tiles.
int ScriptTransitionEntry(int code, RandomSource& rng);

// The hold time of a SlideDelay value: 0 is 50 ms, 1 two hours.
std::int64_t HoldMs(std::int32_t slideDelay);

} // namespace core::slideshow
