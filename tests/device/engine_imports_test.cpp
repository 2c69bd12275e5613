// The plug-in loads beside the engine's own libraries only when every name it imports from them is
// one they export: the engine's interface, listed in engine_interface.txt. The import table is read
// from the loaded plug-in itself, as Windows reads it.
#include <cxxabi.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <set>

#include "kr_test_support.h"

namespace {

template <typename T>
const T* At(HMODULE module, DWORD offset) {
    return reinterpret_cast<const T*>(reinterpret_cast<const BYTE*>(module) + offset);
}

TEST(PluginImports, FromTheEngineOnlyItsInterfaceAndFromTheSystemOnlyDirect3DAndWindows) {
    std::set<std::string> exported, system = {"d3d9.dll",   "d3dx9_43.dll", "kernel32.dll",
                                              "user32.dll", "gdi32.dll",    "msvcrt.dll"};
    std::ifstream list(krtest::MediaRoot() + "\\..\\tests\\device\\engine_interface.txt");
    for (std::string line; std::getline(list, line);)
        exported.insert(line);
    HMODULE plugin = GetModuleHandleA("D3DDev.dll");
    const DWORD tableAt = At<IMAGE_NT_HEADERS>(plugin, At<IMAGE_DOS_HEADER>(plugin, 0)->e_lfanew)
                              ->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT]
                              .VirtualAddress;
    int fromEngine = 0;
    for (auto* dll = At<IMAGE_IMPORT_DESCRIPTOR>(plugin, tableAt); dll->Name != 0; ++dll) {
        std::string library = At<char>(plugin, dll->Name);
        for (char& c : library)
            c = static_cast<char>(tolower(c));
        const bool engine = library == "krcr.dll" || library == "krngn.dll";
        EXPECT_TRUE(engine || system.count(library)) << "the plug-in needs " << library;
        for (auto* entry = At<IMAGE_THUNK_DATA>(plugin, dll->OriginalFirstThunk);
             engine && entry->u1.AddressOfData != 0; ++entry, ++fromEngine) {
            const char* name = At<IMAGE_IMPORT_BY_NAME>(plugin, entry->u1.AddressOfData)->Name;
            int status = 0;
            std::unique_ptr<char, decltype(&std::free)> plain(
                abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
            const std::string import = status == 0 ? plain.get() : name;
            EXPECT_EQ(exported.count(import.substr(0, import.find('('))), 1u)
                << library << " does not export " << import;
        }
    }
    EXPECT_GT(fromEngine, 40) << "engine_interface.txt or the import table was not read";
}

}  // namespace
