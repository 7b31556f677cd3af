#include "sources/TSourcesFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "base/Files.h"
#include "base/RegularFile.h"
#include "platform/AtomicFile.h"
#include "sources/TIniText.h"
#include "sources/TSourceRegistry.h"
#include "base/AddressText.h"
#include "base/TextScan.h"

namespace halvane::sources {
namespace {

// A value's parse: "" when accepted, else why not ("must be 1 to 16, not 40").
using TParse = std::function<std::string(TSources&, std::string_view)>;
using TFormat = std::function<std::string(const TSources&)>;

struct TKey {
  const char* Section;
  const char* Name;
  TParse Parse;
  TFormat Format;
};

// Control bytes and bytes past ASCII written as \xNN, so a message is one
// readable line whatever the file holds; long texts cut.
std::string Shown(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text.substr(0, 80)) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b >= 0x7F) {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  if (text.size() > 80) out += "...";
  return out;
}

bool HasControlOrBlank(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return true;
  }
  return false;
}


// "" when url is an http(s) address with a host; otherwise why not.
std::string CheckUrl(std::string_view url) {
  const std::string lower = AsciiLowerCase(url);
  std::size_t start = 0;
  if (lower.starts_with("http://")) {
    start = 7;
  } else if (lower.starts_with("https://")) {
    start = 8;
  } else {
    return "must be an http:// or https:// address";
  }
  if (HasControlOrBlank(url)) return "must not hold blanks or control characters";
  const std::string_view host = url.substr(start, url.find_first_of("/?#", start) - start);
  if (host.empty() || host.front() == ':' || host.front() == '@') return "has no host name";
  if (url.find('#') != std::string_view::npos) return "must not hold a fragment (#)";
  return {};
}

std::string ExpandHome(std::string_view path) {
  if (path.starts_with("~/")) {
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + std::string(path.substr(1));
  }
  return std::string(path);
}

bool IsNone(std::string_view value) { return value.empty() || EqualsNoCase(value, "none"); }

TParse Url(std::string TSources::*field, bool optional) {
  return [field, optional](TSources& s, std::string_view v) -> std::string {
    if (optional && IsNone(v)) {
      s.*field = {};
      return {};
    }
    if (std::string why = CheckUrl(v); !why.empty()) return why + ", not '" + Shown(WithoutUserInfo(v)) + "'";
    s.*field = v;
    return {};
  };
}

TParse Text(std::string TSources::*field) {
  return [field](TSources& s, std::string_view v) -> std::string {
    if (HasControlOrBlank(v)) return "must not hold blanks or control characters";
    s.*field = v;
    return {};
  };
}

TParse Path(std::string TSources::*field) {
  return [field](TSources& s, std::string_view v) -> std::string {
    if (v.find('\0') != std::string_view::npos) return "must not hold a NUL byte";
    s.*field = IsNone(v) ? std::string() : ExpandHome(v);
    return {};
  };
}

template <typename TEnum>
TParse Choice(TEnum TSources::*field, std::vector<std::pair<const char*, TEnum>> names) {
  return [field, names](TSources& s, std::string_view v) -> std::string {
    std::string list;
    for (const auto& [name, value] : names) {
      if (EqualsNoCase(v, name)) {
        s.*field = value;
        return {};
      }
      list += list.empty() ? "" : (&name == &names.back().first ? " or " : ", ");
      list += name;
    }
    return "must be " + list + ", not '" + Shown(v) + "'";
  };
}

template <typename TEnum>
TFormat ChoiceName(TEnum TSources::*field, std::vector<std::pair<const char*, TEnum>> names) {
  return [field, names](const TSources& s) -> std::string {
    for (const auto& [name, value] : names) {
      if (s.*field == value) return name;
    }
    return names.front().first;
  };
}

// The object an int field of TSources is in: TSources itself or its Network.
TSources& Owner(TSources& s, int TSources::*) { return s; }
live::TNetworkSettings& Owner(TSources& s, int live::TNetworkSettings::*) { return s.Network; }
const TSources& Owner(const TSources& s, int TSources::*) { return s; }
const live::TNetworkSettings& Owner(const TSources& s, int live::TNetworkSettings::*) { return s.Network; }

template <typename TOwner>
TParse Number(int TOwner::*field, int min, int max) {
  return [field, min, max](TSources& s, std::string_view v) -> std::string {
    long long n = 0;
    bool ok = !v.empty() && v.size() <= 9;
    for (const char c : v) {
      ok = ok && c >= '0' && c <= '9';
      if (ok) n = n * 10 + (c - '0');
    }
    if (!ok || n < min || n > max) {
      return "must be " + std::to_string(min) + " to " + std::to_string(max) + ", not '" + Shown(v) + "'";
    }
    Owner(s, field).*field = static_cast<int>(n);
    return {};
  };
}

template <typename TOwner>
TFormat NumberText(int TOwner::*field) {
  return [field](const TSources& s) { return std::to_string(Owner(s, field).*field); };
}

std::string ParseProxies(TSources& s, std::string_view v) {
  s.Network.Proxies.clear();
  if (IsNone(v)) return {};
  std::string_view rest = v;
  while (!rest.empty()) {
    const std::size_t cut = rest.find_first_of(", \t");
    const std::string_view item = rest.substr(0, cut);
    rest.remove_prefix(cut == std::string_view::npos ? rest.size() : cut + 1);
    if (item.empty()) continue;
    const std::string lower = AsciiLowerCase(item);
    const std::size_t scheme = lower.find("://");
    static const char* const kSchemes[] = {"http", "https", "socks4", "socks4a", "socks5", "socks5h"};
    bool known = false;
    for (const char* k : kSchemes) known = known || lower.substr(0, scheme) == k;
    if (scheme == std::string::npos || !known || scheme + 3 >= lower.size() || HasControlOrBlank(item)) {
      return "must be none or proxy addresses such as http://127.0.0.1:3128 or socks5h://host:1080, not '" +
             Shown(WithoutUserInfo(item)) + "'";
    }
    s.Network.Proxies.emplace_back(item);
  }
  return {};
}

std::string FormatProxies(const TSources& s) {
  std::string out;
  for (const std::string& p : s.Network.Proxies) out += (out.empty() ? "" : ", ") + p;
  return out.empty() ? "none" : out;
}

std::string ParseUserAgent(TSources& s, std::string_view v) {
  for (const char c : v) {
    if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
      return "must be printable ASCII";
    }
  }
  s.Network.UserAgent = EqualsNoCase(v, "default") ? std::string() : std::string(v);
  return {};
}

// A registry's entries as a choice's names, in the registry's order.
template <typename TEntry>
auto ChoiceNames(const std::vector<TEntry>& entries) {
  std::vector<std::pair<const char*, decltype(TEntry::Id)>> names;
  for (const TEntry& entry : entries) names.emplace_back(entry.FileName, entry.Id);
  return names;
}

TKey KeyOf(const TSourceKey& key) {
  const auto field = key.Field;
  TFormat plain = [field](const TSources& s) { return s.*field; };
  switch (key.Kind) {
    case TSourceKey::TKind::Address: return {key.Section, key.Name, Url(field, false), plain};
    case TSourceKey::TKind::OptionalAddress: return {key.Section, key.Name, Url(field, true), plain};
    case TSourceKey::TKind::Token: return {key.Section, key.Name, Text(field), plain};
    case TSourceKey::TKind::File: return {key.Section, key.Name, Path(field), plain};
    case TSourceKey::TKind::OptionalFile:
      return {key.Section, key.Name, Path(field),
              [field](const TSources& s) { return (s.*field).empty() ? std::string("none") : s.*field; }};
  }
  return {key.Section, key.Name, Text(field), plain};
}

// The choice's key, then the keys of each entry in the registry's order.
template <typename TEntry>
void AddSourceKeys(std::vector<TKey>& keys, const char* section, const char* name, decltype(TEntry::Id) TSources::*field,
                   const std::vector<TEntry>& entries) {
  const auto names = ChoiceNames(entries);
  keys.push_back({section, name, Choice(field, names), ChoiceName(field, names)});
  for (const TEntry& entry : entries) {
    for (const TSourceKey& key : entry.Keys) keys.push_back(KeyOf(key));
  }
}

std::vector<TKey> MakeKeys() {
  using P = TPageTest;
  static const std::vector<std::pair<const char*, P>> tests = {{"classic", P::Classic}, {"modern", P::Modern}};
  std::vector<TKey> keys;
  AddSourceKeys(keys, "search", "engine", &TSources::Engine, TSourceRegistry::Engines());
  AddSourceKeys(keys, "authority", "source", &TSources::Authority, TSourceRegistry::Authorities());
  AddSourceKeys(keys, "ranking", "source", &TSources::Ranking, TSourceRegistry::Rankings());
  const std::vector<TKey> others = {
      {"search", "deadline", Number(&TSources::SearchDeadlineSeconds, 10, 86400),
       NumberText(&TSources::SearchDeadlineSeconds)},
      {"pages", "test", Choice(&TSources::PageTest, tests), ChoiceName(&TSources::PageTest, tests)},
      {"network", "parallel", Number(&live::TNetworkSettings::Parallel, 1, 16),
       NumberText(&live::TNetworkSettings::Parallel)},
      {"network", "per-host", Number(&live::TNetworkSettings::PerHost, 1, 16),
       NumberText(&live::TNetworkSettings::PerHost)},
      {"network", "host-delay-ms", Number(&live::TNetworkSettings::HostDelayMs, 0, 60000),
       NumberText(&live::TNetworkSettings::HostDelayMs)},
      {"network", "timeout", Number(&live::TNetworkSettings::TimeoutSeconds, 1, 600),
       NumberText(&live::TNetworkSettings::TimeoutSeconds)},
      {"network", "proxy", ParseProxies, FormatProxies},
      {"network", "ca-file",
       [](TSources& s, std::string_view v) -> std::string {
         if (v.find('\0') != std::string_view::npos) return "must not hold a NUL byte";
         s.Network.CaFile = IsNone(v) ? std::string() : ExpandHome(v);
         return {};
       },
       [](const TSources& s) { return s.Network.CaFile.empty() ? std::string("none") : s.Network.CaFile; }},
      {"network", "robots",
       [](TSources& s, std::string_view v) -> std::string {
         if (EqualsNoCase(v, "obey") || EqualsNoCase(v, "ignore")) {
           s.Network.ObeyRobots = EqualsNoCase(v, "obey");
           return {};
         }
         return "must be obey or ignore, not '" + Shown(v) + "'";
       },
       [](const TSources& s) { return std::string(s.Network.ObeyRobots ? "obey" : "ignore"); }},
      {"network", "private-addresses",
       [](TSources& s, std::string_view v) -> std::string {
         if (!EqualsNoCase(v, "deny") && !EqualsNoCase(v, "allow")) return "must be deny or allow, not '" + Shown(v) + "'";
         s.Network.AllowPrivateAddresses = EqualsNoCase(v, "allow");
         return {};
       },
       [](const TSources& s) { return std::string(s.Network.AllowPrivateAddresses ? "allow" : "deny"); }},
      {"network", "user-agent", ParseUserAgent,
       [](const TSources& s) { return s.Network.UserAgent.empty() ? std::string("default") : s.Network.UserAgent; }},
      {"store", "use",
       [](TSources& s, std::string_view v) -> std::string {
         if (!EqualsNoCase(v, "yes") && !EqualsNoCase(v, "no")) return "must be yes or no, not '" + Shown(v) + "'";
         s.Store.Use = EqualsNoCase(v, "yes");
         return {};
       },
       [](const TSources& s) { return std::string(s.Store.Use ? "yes" : "no"); }},
      {"store", "path",
       [](TSources& s, std::string_view v) -> std::string {
         if (v.find('\0') != std::string_view::npos) return "must not hold a NUL byte";
         s.Store.Path = IsNone(v) ? std::string() : ExpandHome(v);
         return {};
       },
       [](const TSources& s) { return s.Store.Path.empty() ? std::string("none") : s.Store.Path; }},
      {"store", "url",
       [](TSources& s, std::string_view v) -> std::string {
         if (IsNone(v)) {
           s.Store.Url.clear();
           return {};
         }
         const std::string lower = AsciiLowerCase(v);
         if (!lower.starts_with("postgresql://") && !lower.starts_with("postgres://")) {
           return "must be none or a postgresql:// address";
         }
         if (HasControlOrBlank(v)) return "must not hold blanks or control characters";
         s.Store.Url = std::string(v);
         return {};
       },
       [](const TSources& s) { return s.Store.Url.empty() ? std::string("none") : s.Store.Url; }},
  };
  keys.insert(keys.end(), others.begin(), others.end());
  return keys;
}

const std::vector<TKey>& Keys() {
  static const std::vector<TKey> keys = MakeKeys();
  return keys;
}

bool KnownSection(std::string_view name) {
  for (const TKey& k : Keys()) {
    if (EqualsNoCase(k.Section, name)) return true;
  }
  return false;
}

const TKey* FindKey(std::string_view section, std::string_view name) {
  for (const TKey& k : Keys()) {
    if (EqualsNoCase(k.Section, section) && EqualsNoCase(k.Name, name)) return &k;
  }
  return nullptr;
}

// The bytes of the file at path; nothing when there is no such file. Looked
// at before opening: a FIFO or a folder is refused, never read.
std::optional<std::string> ReadFileText(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) return std::nullopt;
    throw TSourcesFileError("cannot read " + path + ": " + std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) throw TSourcesFileError(path + " is not a regular file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw TSourcesFileError("cannot read " + path + ": " + std::strerror(errno));
  std::string text(TSourcesFile::kMaxFileBytes + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) throw TSourcesFileError("cannot read " + path);
  text.resize(static_cast<std::size_t>(in.gcount()));
  if (text.size() > TSourcesFile::kMaxFileBytes) {
    throw TSourcesFileError(path + " is larger than " + std::to_string(TSourcesFile::kMaxFileBytes / 1024) +
                            " KiB: not a sources file");
  }
  return text;
}

}  // namespace

std::string TSourcesFile::DefaultPath() { return XdgFolder("XDG_CONFIG_HOME", ".config") + "/halvane/sources.ini"; }

std::string TSourcesFile::DefaultTrancoFile() {
  return XdgFolder("XDG_DATA_HOME", ".local/share") + "/halvane/tranco.csv";
}

TSources TSourcesFile::Defaults() {
  TSources s;
  s.TrancoFile = DefaultTrancoFile();
  return s;
}

TSources TSourcesFile::Parse(std::string_view text, std::string_view fileName) {
  std::map<std::string, int> seen;
  return ParseText(text, fileName, seen);
}

TSources TSourcesFile::ParseText(std::string_view text, std::string_view fileName, std::map<std::string, int>& seen) {
  const std::string where(fileName);
  auto fail = [&where](int line, const std::string& what) -> TSourcesFileError {
    return TSourcesFileError(where + " line " + std::to_string(line) + ": " + what);
  };
  TSources s = Defaults();
  seen.clear();  // "section.key" -> line
  const TIniText ini = TIniText::Parse(text);
  for (const TIniLine& line : ini.Lines()) {
    switch (line.Kind) {
      case TIniLine::TKind::Blank:
      case TIniLine::TKind::Comment:
        continue;
      case TIniLine::TKind::Malformed: {
        std::string_view raw = line.Raw;
        if (raw.ends_with('\r')) raw.remove_suffix(1);
        throw fail(line.Number, "expected [section], key = value or a comment, not '" + Shown(raw) + "'");
      }
      case TIniLine::TKind::Section:
        if (!KnownSection(line.Section)) {
          throw fail(line.Number, "unknown section [" + Shown(line.Section) +
                                      "] (known: search, authority, ranking, pages, network, store)");
        }
        continue;
      case TIniLine::TKind::Entry:
        break;
    }
    if (line.Section.empty()) throw fail(line.Number, "'" + Shown(line.Key) + "' stands before any [section]");
    const TKey* key = FindKey(line.Section, line.Key);
    if (!key) throw fail(line.Number, "unknown key '" + Shown(line.Key) + "' in [" + Shown(line.Section) + "]");
    const std::string id = std::string(key->Section) + "." + key->Name;
    if (const auto [it, added] = seen.emplace(id, line.Number); !added) {
      throw fail(line.Number, "[" + std::string(key->Section) + "] " + key->Name + " is given twice (first on line " +
                                  std::to_string(it->second) + ")");
    }
    if (const std::string why = key->Parse(s, line.Value); !why.empty()) {
      throw fail(line.Number, "[" + std::string(key->Section) + "] " + key->Name + " " + why);
    }
  }

  // A source chosen without what it needs is reported at the line choosing it.
  const auto need = [&](const char* section, const char* choice, const std::vector<TSourceKey>& keys) {
    for (const TSourceKey& key : keys) {
      if (!key.Required || !(s.*key.Field).empty()) continue;
      const auto it = seen.find(std::string(section) + "." + choice);
      throw fail(it == seen.end() ? 0 : it->second, std::string("[") + section + "] " + choice + " = " +
                                                        FindKey(section, choice)->Format(s) + " needs " + key.Name +
                                                        " (" + key.Needs + ")");
    }
  };
  need("search", "engine", TSourceRegistry::Engine(s.Engine).Keys);
  need("authority", "source", TSourceRegistry::Authority(s.Authority).Keys);
  need("ranking", "source", TSourceRegistry::Ranking(s.Ranking).Keys);
  return s;
}

TSources TSourcesFile::Read(const std::string& path, bool mustExist) {
  const std::optional<std::string> text = ReadFileText(path);
  if (!text) {
    if (!mustExist) return Defaults();
    throw TSourcesFileError("cannot read " + path + ": no such file");
  }
  std::map<std::string, int> seen;
  TSources sources = ParseText(*text, path, seen);
  // The CA file is looked at now, so a FIFO or a huge file is refused here
  // with its line instead of hanging a run later.
  if (!sources.Network.CaFile.empty()) {
    const TRegularFile ca = TRegularFile::Open(sources.Network.CaFile, kMaxCaFileBytes);
    if (!ca.IsOpen()) {
      throw TSourcesFileError(path + " line " + std::to_string(seen["network.ca-file"]) + ": [network] ca-file " +
                              ca.Error());
    }
  }
  return sources;
}

std::string TSourcesFile::Render(std::string_view existingText, const TSources& sources) {
  TIniText ini = TIniText::Parse(existingText);
  const TSources defaults = Defaults();
  for (const TKey& key : Keys()) {
    const std::string value = key.Format(sources);
    if (ini.Has(key.Section, key.Name) || value != key.Format(defaults)) ini.Set(key.Section, key.Name, value);
  }
  return ini.Text();
}

void TSourcesFile::Write(const std::string& path, const TSources& sources) {
  const std::string existing = ReadFileText(path).value_or(std::string());
  // The folders up to the file, private as the file is (it may hold keys).
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    const std::string folder = path.substr(0, slash);
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
      throw TSourcesFileError("cannot create the folder " + folder + ": " + std::strerror(errno));
    }
  }
  if (!platform::WriteFileAtomically(path, Render(existing, sources), 0600)) {
    throw TSourcesFileError("cannot write " + path + " (is its folder writable, is the disk full?)");
  }
}

}  // namespace halvane::sources
