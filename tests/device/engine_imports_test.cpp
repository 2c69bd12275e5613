// The plug-in loads beside the engine's own libraries only when every name it imports from them is
// one they export: the engine's interface, listed in engine_interface.txt. The import table is read
// from the loaded plug-in itself, as Windows reads it.
#include <cxxabi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

#include "kr_test_support.h"

namespace {

using Imports = std::vector<std::pair<std::string, std::string>>;  // library, demangled name

Imports ImportTable(HMODULE module) {
    const BYTE* base = reinterpret_cast<const BYTE*>(module);
    const IMAGE_NT_HEADERS* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    Imports imports;
    for (const IMAGE_IMPORT_DESCRIPTOR* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress);
         library->Name != 0; ++library) {
        std::string libraryName = reinterpret_cast<const char*>(base + library->Name);
        for (char& c : libraryName)
            c = static_cast<char>(std::tolower(c));
        for (const IMAGE_THUNK_DATA* entry =
                 reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
             entry->u1.AddressOfData != 0; ++entry) {
            if (IMAGE_SNAP_BY_ORDINAL(entry->u1.Ordinal)) {
                imports.emplace_back(libraryName, "(by ordinal)");
                continue;
            }
            const char* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + entry->u1.AddressOfData)->Name;
            int status = 0;
            char* plain = abi::__cxa_demangle(name, nullptr, nullptr, &status);
            imports.emplace_back(libraryName, status == 0 ? plain : name);
            std::free(plain);
        }
    }
    return imports;
}

// "KrConfigCache::GetInteger(KrStringT<char> const&, ...)" names "KrConfigCache::GetInteger".
std::string QualifiedName(const std::string& import) {
    return import.substr(0, import.find('('));
}

TEST(PluginImports, FromTheEngineOnlyItsInterfaceAndFromTheSystemOnlyDirect3DAndWindows) {
    std::set<std::string> exported;
    std::ifstream list(krtest::MediaRoot() + "\\..\\tests\\device\\engine_interface.txt");
    ASSERT_TRUE(list) << "engine_interface.txt not found beside the tests";
    for (std::string line; std::getline(list, line);) {
        if (!line.empty() && line[0] != '#')
            exported.insert(line);
    }
    const std::set<std::string> system = {"d3d9.dll",  "d3dx9_43.dll", "kernel32.dll", "user32.dll",
                                          "gdi32.dll", "advapi32.dll", "msvcrt.dll"};
    int fromEngine = 0;
    for (const auto& [library, name] : ImportTable(GetModuleHandleA("D3DDev.dll"))) {
        if (library == "krcr.dll" || library == "krngn.dll") {
            ++fromEngine;
            EXPECT_EQ(exported.count(QualifiedName(name)), 1u)
                << library << " does not export " << name;
        } else {
            EXPECT_EQ(system.count(library), 1u) << "the plug-in needs " << library;
        }
    }
    EXPECT_GT(fromEngine, 40);  // the table was read
}

}  // namespace
