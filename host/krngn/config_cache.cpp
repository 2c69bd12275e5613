// The configuration cache: integer settings by section and key, kept in an INI file. Every change
// goes to disk at once, through a temporary file and a rename, so that a crash between two writes
// never leaves half a file behind (the device's safe-mode key depends on that).
#include "krngn.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct KrConfigCache::Store {
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };
    std::string path;
    std::vector<Section> sections;
    // The file lacks a change held here: its write failed.
    bool unsaved = false;

    Section* FindSection(const std::string& name) {
        for (Section& s : sections) {
            if (s.name == name) {
                return &s;
            }
        }
        return nullptr;
    }
    Entry* FindEntry(const std::string& section, const std::string& key) {
        Section* s = FindSection(section);
        if (s == nullptr) {
            return nullptr;
        }
        for (Entry& e : s->entries) {
            if (e.key == key) {
                return &e;
            }
        }
        return nullptr;
    }
};

namespace {
std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t\r");
    if (begin == std::string::npos) {
        return std::string();
    }
    size_t end = text.find_last_not_of(" \t\r");
    return text.substr(begin, end - begin + 1);
}

std::string Str(const KrStringT<char>& s) {
    return s.Text() != nullptr ? std::string(s.Text(), static_cast<size_t>(s.Length()))
                               : std::string();
}

bool ParseInteger(const std::string& text, int& value) {
    if (text.empty() || text.size() > 12) {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    long parsed = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != '\0' || errno != 0 || parsed < INT_MIN || parsed > INT_MAX) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}

bool PlainText(const std::string& line) {
    for (unsigned char c : line) {
        if (c < 0x20 && c != '\t' && c != '\r') {
            return false;
        }
    }
    return true;
}

// A name that reads back as itself from the file: no line breaks or control characters, no
// surrounding blanks, nothing that the reader takes for a comment, a section or the '='.
bool WritableName(const std::string& name, bool isSection) {
    if (name.empty() || !PlainText(name) || name.find('\r') != std::string::npos ||
        Trim(name) != name) {
        return false;
    }
    if (isSection) {
        return name.find(']') == std::string::npos;
    }
    return name.find('=') == std::string::npos && name[0] != '[' && name[0] != ';' &&
           name[0] != '#';
}

// Notepad and friends put a UTF-8 byte-order mark in front of the first line.
void SkipByteOrderMark(std::string& line) {
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        line.erase(0, 3);
    }
}
}  // namespace

KrConfigCache::KrConfigCache() : store_(new Store) {}

KrConfigCache::~KrConfigCache() {
    delete store_;
}

void KrConfigCache::Clear() {
    store_->sections.clear();
    store_->path.clear();
    store_->unsaved = false;
}

const char* KrConfigCache::Path() const {
    return store_->path.c_str();
}

bool KrConfigCache::Load(const char* path) {
    Clear();
    if (path == nullptr || *path == '\0') {
        return false;
    }
    store_->path = path;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        GLog.printf("CONFIG: No configuration file %s, starting with an empty configuration", path);
        return false;
    }
    std::vector<Store::Section> sections;
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        if (++lineNumber == 1) {
            SkipByteOrderMark(line);
        }
        std::string text = Trim(line);
        bool ok = PlainText(line);
        if (ok && !text.empty() && text[0] != ';' && text[0] != '#') {
            if (text[0] == '[') {
                std::string name;
                if (text.size() > 2 && text.back() == ']') {
                    name = Trim(text.substr(1, text.size() - 2));
                }
                // A header of blanks names nothing, like "[]": kept, it would be written back as
                // "[]" and the next load would throw the whole file away.
                ok = !name.empty();
                if (ok) {
                    Store::Section* existing = nullptr;
                    for (Store::Section& s : sections) {
                        if (s.name == name) {
                            existing = &s;
                        }
                    }
                    // A section written twice continues the first one.
                    if (existing == nullptr) {
                        sections.push_back(Store::Section{name, {}});
                    } else if (&sections.back() != existing) {
                        Store::Section moved = *existing;
                        sections.erase(sections.begin() + (existing - &sections[0]));
                        sections.push_back(moved);
                    }
                }
            } else {
                size_t equals = text.find('=');
                ok = equals != std::string::npos && equals > 0 && !sections.empty();
                if (ok) {
                    std::string key = Trim(text.substr(0, equals));
                    std::string value = Trim(text.substr(equals + 1));
                    bool replaced = false;
                    for (Store::Entry& e : sections.back().entries) {
                        if (e.key == key) {
                            e.value = value;
                            replaced = true;
                        }
                    }
                    if (!replaced) {
                        sections.back().entries.push_back(Store::Entry{key, value});
                    }
                }
            }
        }
        if (!ok) {
            GLog.printf(
                "WARNING: Configuration file %s is garbled at line %i, starting with an empty "
                "configuration",
                path, lineNumber);
            return false;
        }
    }
    store_->sections.swap(sections);
    return true;
}

bool KrConfigCache::GetInteger(const KrStringT<char>& section, const KrStringT<char>& key,
                               int& value) {
    Store::Entry* entry = store_->FindEntry(Str(section), Str(key));
    if (entry == nullptr) {
        return false;
    }
    if (!ParseInteger(entry->value, value)) {
        GLog.printf("WARNING: Configuration value %s in section %s is not a whole number",
                    Str(key).c_str(), Str(section).c_str());
        return false;
    }
    return true;
}

bool KrConfigCache::SetInteger(const KrStringT<char>& section, const KrStringT<char>& key,
                               int value) {
    std::string sectionName = Str(section);
    std::string keyName = Str(key);
    if (!WritableName(sectionName, true) || !WritableName(keyName, false)) {
        GLog.printf("WARNING: Configuration key \"%s\" in section \"%s\" cannot be stored",
                    keyName.c_str(), sectionName.c_str());
        return false;
    }
    Store::Section* s = store_->FindSection(sectionName);
    if (s == nullptr) {
        store_->sections.push_back(Store::Section{sectionName, {}});
        s = &store_->sections.back();
    }
    std::string text = std::to_string(value);
    Store::Entry* entry = store_->FindEntry(sectionName, keyName);
    if (entry != nullptr) {
        // The file already says so: writing it again would change nothing. After a failed
        // write it is written again, as every change is.
        if (entry->value == text && !store_->unsaved) {
            return true;
        }
        entry->value = text;
    } else {
        s->entries.push_back(Store::Entry{keyName, text});
    }
    return Save();
}

bool KrConfigCache::HasKey(const char* section, const char* key) {
    return section != nullptr && key != nullptr && store_->FindEntry(section, key) != nullptr;
}

bool KrConfigCache::RemoveKey(const char* section, const char* key) {
    Store::Section* s = section != nullptr ? store_->FindSection(section) : nullptr;
    if (s == nullptr || key == nullptr) {
        return false;
    }
    for (size_t i = 0; i < s->entries.size(); ++i) {
        if (s->entries[i].key == key) {
            s->entries.erase(s->entries.begin() + static_cast<long>(i));
            return Save();
        }
    }
    return false;
}

bool KrConfigCache::Save() {
    store_->unsaved = false;
    if (store_->path.empty()) {
        return true;
    }
    std::ostringstream out;
    for (const Store::Section& s : store_->sections) {
        out << '[' << s.name << "]\n";
        for (const Store::Entry& e : s.entries) {
            out << e.key << '=' << e.value << '\n';
        }
        out << '\n';
    }
    // The new text goes to a file of its own that then replaces the old one whole: a write that
    // fails (a full disk, a read-only file, a folder in the file's place) leaves the old file as
    // it was, and the line says which step failed and why.
    const std::string temp = store_->path + ".tmp";
    const std::string data = out.str();
    const char* step = "create";
    // Replacing a read-only file or a folder is refused as Windows refuses it (Wine replaces a
    // read-only file all the same).
    const DWORD attributes = GetFileAttributesA(store_->path.c_str());
    const bool refused = attributes != INVALID_FILE_ATTRIBUTES &&
                         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
    if (refused) {
        step = "replace";
    }
    HANDLE file = refused ? INVALID_HANDLE_VALUE
                          : CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = file != INVALID_HANDLE_VALUE;
    if (ok) {
        step = "write";
        DWORD written = 0;
        ok = WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
             written == data.size() && FlushFileBuffers(file);
        const DWORD error = GetLastError();
        CloseHandle(file);
        if (ok) {
            step = "replace";
            ok = MoveFileExA(temp.c_str(), store_->path.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
        } else {
            SetLastError(error);
        }
    }
    if (!ok) {
        const DWORD error = refused ? ERROR_ACCESS_DENIED : GetLastError();
        char why[256] = {};
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       0, why, sizeof why, nullptr);
        std::string reason = why;
        reason.erase(reason.find_last_not_of("\r\n. ") + 1);
        DeleteFileA(temp.c_str());
        GLog.printf("WARNING: Could not write configuration file %s (%s step, error %lu: %s)",
                    store_->path.c_str(), step, static_cast<unsigned long>(error), reason.c_str());
        store_->unsaved = true;
        return false;
    }
    return true;
}
