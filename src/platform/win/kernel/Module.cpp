#include "platform/win/kernel/Module.h"

#include "platform/win/WinError.h"
#include "platform/win/kernel/HandleTable.h"
#include "platform/win/kernel/LastError.h"
#include "platform/win/kernel/Process.h"
#include "platform/win/kernel/WideBuffer_p.h"

#include <array>
#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <link.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>

namespace win {

namespace {

struct TLoadedModule {
    void* Library = nullptr;
    std::string Path; // absolute, UTF-8
    DWORD References = 1;
};

constexpr std::uint8_t kModuleTag = 0x4D;

// Fixed handles outside the table's layout: the program at the classic
// image base, the system modules 64 KiB apart above it.
const std::uintptr_t kProgramHandle = 0x00400000;
const std::uintptr_t kSystemModuleBase = 0x70000000;
constexpr std::array<std::string_view, 11> kSystemModules = {"kernel32", "user32",   "gdi32",   "shell32",
                                                             "advapi32", "ole32",    "msimg32", "uxtheme",
                                                             "dwmapi",   "comctl32", "ntdll"};

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

std::string_view FileNamePart(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The system module a name refers to, with or without ".dll"; -1 if none.
int SystemModuleIndex(std::string_view name) {
    if (name.size() > 4 && SameIgnoringAsciiCase(name.substr(name.size() - 4), ".dll"))
        name.remove_suffix(4);
    for (std::size_t i = 0; i < kSystemModules.size(); ++i)
        if (SameIgnoringAsciiCase(name, kSystemModules[i]))
            return static_cast<int>(i);
    return -1;
}

int SystemModuleIndex(HMODULE module) {
    const auto value = reinterpret_cast<std::uintptr_t>(module);
    if (value < kSystemModuleBase || (value - kSystemModuleBase) % 0x10000 != 0)
        return -1;
    const std::uintptr_t index = (value - kSystemModuleBase) / 0x10000;
    return index < kSystemModules.size() ? static_cast<int>(index) : -1;
}

HMODULE SystemModuleHandle(int index) {
    return reinterpret_cast<HMODULE>(kSystemModuleBase + static_cast<std::uintptr_t>(index) * 0x10000);
}

struct TModuleRegistry {
    std::mutex Lock; // serialises load and free so one library gets one handle
    THandleTable<std::shared_ptr<TLoadedModule>> Loaded{kModuleTag};
    std::mutex ExportLock;
    std::array<std::map<std::string, FARPROC, std::less<>>, kSystemModules.size()> Exports;
};

TModuleRegistry& Registry() {
    // Never destroyed: libraries may be freed from other units' static destructors.
    static TModuleRegistry* registry = [] {
        auto* r = new TModuleRegistry;
        r->Exports[0]["IsWow64Process"] = reinterpret_cast<FARPROC>(&IsWow64Process);
        return r;
    }();
    return *registry;
}

std::string ExecutablePath() {
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

// The file mapped at an address of this process (the program, or the shared
// object the stand-in was linked into).
std::string MappedFileOf(const void* address) {
    std::ifstream maps("/proc/self/maps");
    const auto target = reinterpret_cast<std::uintptr_t>(address);
    std::string line;
    while (std::getline(maps, line)) {
        std::uintptr_t start = 0;
        std::uintptr_t end = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx", &start, &end) != 2 || target < start || target >= end)
            continue;
        const std::size_t path = line.find('/');
        return path == std::string::npos ? std::string() : line.substr(path);
    }
    return {};
}

std::string ProgramFolder() {
    const std::string exe = ExecutablePath();
    return exe.substr(0, exe.rfind('/') + 1);
}

std::string AbsolutePath(std::string path) {
    if (path.empty() || path.front() == '/')
        return path;
    std::string cwd(4096, '\0');
    if (!::getcwd(cwd.data(), cwd.size()))
        return path;
    cwd.resize(cwd.find('\0'));
    return cwd + "/" + path;
}

std::string LoadedPathOf(void* library, const std::string& requested) {
    link_map* map = nullptr;
    if (::dlinfo(library, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name && *map->l_name)
        return AbsolutePath(map->l_name);
    return AbsolutePath(requested);
}

HMODULE LoadPath(const std::string& path) {
    TModuleRegistry& registry = Registry();
    std::lock_guard lock(registry.Lock);
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const bool exists = path.find('/') != std::string::npos && ::access(path.c_str(), F_OK) == 0;
        SetLastError(exists ? ERROR_BAD_EXE_FORMAT : ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    const std::uintptr_t known = registry.Loaded.FindIf(
        [library](const std::shared_ptr<TLoadedModule>& m) { return m->Library == library; });
    if (known) {
        // dlopen counted a reference of its own; ours is the table's count.
        ::dlclose(library);
        ++(*registry.Loaded.Get(known))->References;
        return reinterpret_cast<HMODULE>(known);
    }
    auto module = std::make_shared<TLoadedModule>();
    module->Library = library;
    module->Path = LoadedPathOf(library, path);
    const std::uintptr_t handle = registry.Loaded.Insert(module);
    if (!handle) {
        ::dlclose(library);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    }
    return reinterpret_cast<HMODULE>(handle);
}

std::shared_ptr<TLoadedModule> LoadedModule(HMODULE module) {
    return Registry().Loaded.Get(reinterpret_cast<std::uintptr_t>(module)).value_or(nullptr);
}

// The full path behind a module handle; empty for an unknown handle.
std::string ModulePath(HMODULE module) {
    if (!module || reinterpret_cast<std::uintptr_t>(module) == kProgramHandle)
        return ExecutablePath();
    if (SystemModuleIndex(module) >= 0)
        return MappedFileOf(reinterpret_cast<const void*>(&GetModuleFileNameW));
    const auto loaded = LoadedModule(module);
    return loaded ? loaded->Path : std::string();
}

} // namespace

HMODULE LoadLibraryW(LPCWSTR fileName) {
    const std::string name = rtl::StringToUtf8(detail::WideToString(fileName));
    if (name.empty()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (name.find('/') != std::string::npos)
        return LoadPath(name);
    if (const int system = SystemModuleIndex(name); system >= 0)
        return SystemModuleHandle(system);
    // As on Windows, the program's own folder comes before the system's search.
    const std::string local = ProgramFolder() + name;
    return LoadPath(::access(local.c_str(), F_OK) == 0 ? local : name);
}

BOOL FreeLibrary(HMODULE module) {
    if (reinterpret_cast<std::uintptr_t>(module) == kProgramHandle || SystemModuleIndex(module) >= 0)
        return 1;
    TModuleRegistry& registry = Registry();
    std::lock_guard lock(registry.Lock);
    const auto loaded = LoadedModule(module);
    if (!loaded) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (--loaded->References == 0) {
        registry.Loaded.Remove(reinterpret_cast<std::uintptr_t>(module));
        ::dlclose(loaded->Library);
    }
    return 1;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    // Values below 64 KiB are ordinals, which the stand-in's modules do not number.
    if (reinterpret_cast<std::uintptr_t>(procName) < 0x10000) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    FARPROC proc = nullptr;
    if (const int system = SystemModuleIndex(module); system >= 0) {
        TModuleRegistry& registry = Registry();
        std::lock_guard lock(registry.ExportLock);
        const auto& exports = registry.Exports[static_cast<std::size_t>(system)];
        const auto it = exports.find(std::string_view(procName));
        proc = it == exports.end() ? nullptr : it->second;
    } else if (const auto loaded = LoadedModule(module)) {
        proc = reinterpret_cast<FARPROC>(::dlsym(loaded->Library, procName));
    } else if (!module || reinterpret_cast<std::uintptr_t>(module) == kProgramHandle) {
        proc = reinterpret_cast<FARPROC>(::dlsym(RTLD_DEFAULT, procName));
    } else {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!proc)
        SetLastError(ERROR_PROC_NOT_FOUND);
    return proc;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (!moduleName)
        return reinterpret_cast<HMODULE>(kProgramHandle);
    const std::string name = rtl::StringToUtf8(moduleName);
    if (const int system = SystemModuleIndex(name); system >= 0)
        return SystemModuleHandle(system);
    const bool byPath = name.find('/') != std::string::npos;
    const std::uintptr_t found = Registry().Loaded.FindIf([&](const std::shared_ptr<TLoadedModule>& m) {
        return byPath ? m->Path == name : SameIgnoringAsciiCase(FileNamePart(m->Path), name);
    });
    if (!found)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return reinterpret_cast<HMODULE>(found);
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
    const std::string path = ModulePath(module);
    if (path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE); // FIXME: also reached when /proc is not mounted
        return 0;
    }
    const rtl::String text = rtl::Utf8ToString(path);
    if (detail::CopyToWideBuffer(text, fileName, size))
        return static_cast<DWORD>(text.size());
    if (fileName && size > 0) {
        text.copy(fileName, size - 1);
        fileName[size - 1] = 0;
    }
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

void RegisterSystemExport(std::string_view module, std::string_view name, FARPROC proc) {
    const int system = SystemModuleIndex(module);
    if (system < 0 || name.empty())
        return;
    TModuleRegistry& registry = Registry();
    std::lock_guard lock(registry.ExportLock);
    registry.Exports[static_cast<std::size_t>(system)][std::string(name)] = proc;
}

} // namespace win
