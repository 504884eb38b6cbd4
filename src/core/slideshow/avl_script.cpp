#include "core/slideshow/avl_script.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <system_error>

namespace core::slideshow {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool Exists(const std::filesystem::path& p) {
    std::error_code ec;
    return std::filesystem::is_regular_file(p, ec);
}

std::string Absolute(const std::filesystem::path& p) {
    std::error_code ec;
    auto abs = std::filesystem::absolute(p, ec);
    return (ec ? p : abs).lexically_normal().string();
}

bool HasDriveLetter(const std::string& s) {
    return s.size() >= 2 && std::isalpha(static_cast<unsigned char>(s[0])) && s[1] == ':';
}

} // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    std::map<std::string, std::string>* current = nullptr;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::size_t close = line.find(']');
            std::string name = Lower(Trim(line.substr(
                1, close == std::string_view::npos ? std::string_view::npos : close - 1)));
            current = &ini.sections_[name]; // a repeated section adds to the first
            continue;
        }
        std::size_t eq = line.find('=');
        if (!current || eq == std::string_view::npos) continue;
        std::string key = Lower(Trim(line.substr(0, eq)));
        if (key.empty()) continue;
        current->emplace(key, std::string(Trim(line.substr(eq + 1)))); // first wins
    }
    return ini;
}

IniFile IniFile::Load(const std::filesystem::path& path, bool* readable) {
    std::ifstream in(path, std::ios::binary);
    if (readable) *readable = static_cast<bool>(in);
    if (!in) return {};
    // A script is a few kilobytes; a huge file is not one, read only its start.
    constexpr std::size_t kMax = 16u << 20;
    std::string text;
    text.resize(kMax);
    in.read(text.data(), static_cast<std::streamsize>(kMax));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return Parse(text);
}

std::optional<std::string> IniFile::Read(std::string_view section, std::string_view key) const {
    auto s = sections_.find(Lower(section));
    if (s == sections_.end()) return std::nullopt;
    auto k = s->second.find(Lower(key));
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view fallback) const {
    auto v = Read(section, key);
    return v ? *v : std::string(fallback);
}

std::int64_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int64_t fallback) const {
    auto v = Read(section, key);
    if (!v) return fallback;
    auto n = ParseDecimal(*v);
    return n ? *n : fallback;
}

bool IniFile::HasSection(std::string_view section) const {
    return sections_.count(Lower(section)) != 0;
}

std::optional<std::int64_t> ParseDecimal(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return negative ? -v : v;
}

std::optional<std::uint32_t> ParseHex(std::string_view text) {
    text = Trim(text);
    if (text.empty() || text.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : text) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

const char* SkipReasonName(SlideSkip reason) {
    switch (reason) {
    case SlideSkip::None:
        return "";
    case SlideSkip::NotASlide:
        return "not a slide";
    case SlideSkip::BadDirectory:
        return "bad directory number";
    case SlideSkip::NotFound:
        return "file not found";
    }
    return "";
}

std::optional<std::string> FindScriptFile(const std::string& dirValue, const std::string& name,
                                          const std::filesystem::path& scriptPath) {
    // Only the part of the directory up to its last separator counts.
    std::string dir = dirValue;
    std::size_t cut = dir.find_last_of("\\/:");
    dir = cut == std::string::npos ? std::string() : dir.substr(0, cut + 1);
    std::string full = dir + name;
    std::replace(full.begin(), full.end(), '\\', '/');
    std::size_t slash = full.find_last_of('/');
    std::string leaf = slash == std::string::npos ? full : full.substr(slash + 1);
    if (leaf.find('.') == std::string::npos) {
        full += ".JPG";
        leaf += ".JPG";
    }
    const std::filesystem::path base = scriptPath.parent_path();
    auto resolve = [&](const std::string& p) {
        std::filesystem::path fp(p);
        return fp.is_absolute() ? fp : base / fp;
    };
    if (Exists(resolve(full))) return Absolute(resolve(full));
    if (HasDriveLetter(full)) {
        std::string tried = full;
        for (char d = 'C'; d <= 'Z'; ++d) {
            tried[0] = d;
            if (Exists(resolve(tried))) return Absolute(resolve(tried));
        }
        // The script's drive is not mounted here: what it names after the
        // drive, then the file itself, beside the script.
        std::string rest = full.substr(2);
        while (!rest.empty() && rest.front() == '/')
            rest.erase(0, 1);
        if (!rest.empty() && Exists(base / rest)) return Absolute(base / rest);
    }
    if (!leaf.empty() && Exists(base / leaf)) return Absolute(base / leaf);
    return std::nullopt;
}

ScriptSlide ReadSlideFrom(const IniFile& ini, int k, const std::filesystem::path& scriptPath) {
    const std::string section = std::to_string(k);
    ScriptSlide s;
    const std::string f = ini.ReadString(section, "F");
    if (auto b = ini.Read(section, "B"); b && !b->empty()) {
        if (auto v = ParseHex(*b)) s.background = *v & 0x00FFFFFFu; // a bad B counts as absent
    }
    if (auto g = ini.Read(section, "G"); g && !g->empty()) {
        auto v = ParseHex(*g);
        // Gamma 0 would divide by zero in the table; invalid leaves the picture as it is.
        s.gamma = (!v || *v == 0) ? 100 : static_cast<int>(std::min<std::uint32_t>(*v, 500));
    }
    s.zoom = static_cast<int>(
        std::clamp<std::int64_t>(ini.ReadInteger(section, "Z", 100), -1000000, 1000000));
    if (auto p = ini.Read(section, "P")) {
        std::size_t comma = p->find(',');
        if (comma != std::string::npos) {
            auto x = ParseDecimal(std::string_view(*p).substr(0, comma));
            auto y = ParseDecimal(std::string_view(*p).substr(comma + 1));
            if (x && y && *x >= 0 && *y >= 0 && *x <= 1000000 && *y <= 1000000) {
                s.x = static_cast<int>(*x);
                s.y = static_cast<int>(*y);
            }
        }
    }
    const std::int64_t w =
        std::clamp<std::int64_t>(ini.ReadInteger(section, "W", 0), 0, kMaxHoldSeconds);
    s.delayMs = static_cast<std::int32_t>(w * 1000);
    s.transition =
        static_cast<int>(std::clamp<std::int64_t>(ini.ReadInteger(section, "X", 0), -1, 1000));

    const std::size_t comma = f.find(',');
    if (comma == std::string::npos) {
        s.fileName = kNoSlideName;
        s.skip = SlideSkip::NotASlide;
        return s;
    }
    const std::string name = f.substr(0, comma);
    std::string number = std::string(Trim(std::string_view(f).substr(comma + 1)));
    if (number.empty()) number = "0";
    auto dirNumber = ParseDecimal(number);
    if (!dirNumber || *dirNumber < 0) {
        s.skip = SlideSkip::BadDirectory;
        return s;
    }
    const std::string dir = ini.ReadString("Directory", std::to_string(*dirNumber));
    if (auto found = FindScriptFile(dir, name, scriptPath)) {
        s.fileName = *found;
    } else {
        s.skip = SlideSkip::NotFound;
    }
    return s;
}

int SlideScript::ScriptVersion() const {
    auto v = IniFile::Load(path_).ReadInteger("Header", "Ver", 1);
    return static_cast<int>(std::clamp<std::int64_t>(v, -1000000, 1000000));
}

std::int64_t SlideScript::ScriptSlideCount() const {
    return IniFile::Load(path_).ReadInteger("Header", "N", 0);
}

ScriptSlide SlideScript::ReadScriptSlide(int k) const {
    return ReadSlideFrom(IniFile::Load(path_), k, path_);
}

std::vector<int> TransitionEntries(int code) {
    switch (code) {
    case 1:
        return {23, 15};
    case 2:
        return {22, 14};
    case 3:
        return {21, 13};
    case 4:
        return {20, 12};
    case 5:
        return {40, 41, 42, 43};
    case 6:
        return {44, 45, 46, 47};
    case 7:
        return {48, 49, 50, 51};
    case 8:
        return {52, 53, 54, 55};
    case 9:
        return {172};
    case 10:
        return {173};
    case 11:
        return {27};
    case 12:
        return {35};
    case 13:
        return {33};
    case 14:
        return {25};
    case 15:
        return {166};
    case 16:
        return {169};
    case 17:
        return {36, 28};
    case 18:
        return {32, 24};
    case 19:
        return {168};
    case 20:
        return {171};
    case 21:
        return {39};
    case 22:
        return {31};
    case 23:
        return {29};
    case 24:
        return {37};
    case 25:
        return {115};
    case 26:
        return {114};
    case 27:
        return {116};
    case 28:
        return {117};
    case 29:
        return {1};
    default:
        return {0};
    }
}

int ScriptTransitionEntry(int code, RandomSource& rng) {
    const int n = rng.Below(100);
    const std::vector<int> entries = TransitionEntries(code);
    if (entries.size() == 2) return n <= 50 ? entries[0] : entries[1];
    if (entries.size() == 4) return entries[0] + rng.Below(4);
    return entries[0];
}

std::int64_t HoldMs(std::int32_t slideDelay) {
    if (slideDelay == 0) return 50;
    if (slideDelay == 1) return 7'200'000;
    return std::max<std::int64_t>(slideDelay, 0);
}

} // namespace core::slideshow
