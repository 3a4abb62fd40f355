#include "player/LibraryLoad.h"

#include <cstring>
#include <unordered_set>

#include <dlfcn.h>
#include <fcntl.h>
#include <gelf.h>
#include <link.h>
#include <unistd.h>

namespace {

using Folders = std::vector<std::string>;

// What a library file says of the libraries it needs: their names, and the folders that the
// loader looks in for them before the program's.
struct Needs {
    std::vector<std::string> names;
    Folders folders;
};

// The folders of a DT_RUNPATH or DT_RPATH list, `$ORIGIN` standing for the library's own folder.
// One named with any other of the loader's variables is left out: the loader still finds what is
// there, with the library that needs it.
Folders ownFolders(const std::string &list, const std::string &origin) {
    Folders folders;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(':', start);
        if (end == std::string::npos)
            end = list.size();
        std::string folder = list.substr(start, end - start);
        for (const char *variable : {"${ORIGIN}", "$ORIGIN"}) {
            if (folder.starts_with(variable))
                folder.replace(0, std::strlen(variable), origin);
        }
        if (!folder.empty() && folder.find('$') == std::string::npos)
            folders.push_back(std::move(folder));
        start = end + 1;
    }
    return folders;
}

// What the library file at `path` says; nothing when it is no library.
Needs readNeeds(const std::string &path) {
    static const bool elfReadable = elf_version(EV_CURRENT) != EV_NONE;
    Needs needs;
    const int file = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return needs;
    Elf *elf = elfReadable ? elf_begin(file, ELF_C_READ_MMAP, nullptr) : nullptr;
    const std::string origin = path.substr(0, path.rfind('/'));
    Elf_Scn *section = nullptr;
    while (elf != nullptr && (section = elf_nextscn(elf, section)) != nullptr) {
        GElf_Shdr header;
        if (gelf_getshdr(section, &header) == nullptr || header.sh_type != SHT_DYNAMIC)
            continue;
        Elf_Data *data = elf_getdata(section, nullptr);
        GElf_Dyn entry;
        for (int i = 0;
             data != nullptr && gelf_getdyn(data, i, &entry) != nullptr && entry.d_tag != DT_NULL;
             ++i) {
            const bool needed = entry.d_tag == DT_NEEDED;
            if (!needed && entry.d_tag != DT_RUNPATH && entry.d_tag != DT_RPATH)
                continue;
            const char *text = elf_strptr(elf, header.sh_link, entry.d_un.d_val);
            if (text == nullptr)
                continue;
            if (needed)
                needs.names.emplace_back(text);
            else
                needs.folders = ownFolders(text, origin);
        }
    }
    elf_end(elf);
    close(file);
    return needs;
}

// Where the loader looks for the libraries that the program opens, in order (LD_LIBRARY_PATH,
// the program's own run path, the system's folders), as it says itself.
Folders programFolders() {
    void *program = dlopen(nullptr, RTLD_LAZY);
    Dl_serinfo size;
    if (program == nullptr || dlinfo(program, RTLD_DI_SERINFOSIZE, &size) != 0)
        return {};
    std::vector<Dl_serinfo> buffer(size.dls_size / sizeof(Dl_serinfo) + 1);
    Dl_serinfo *info = buffer.data();
    *info = size;
    Folders folders;
    if (dlinfo(program, RTLD_DI_SERINFO, info) == 0) {
        for (unsigned i = 0; i < info->dls_cnt; ++i)
            folders.emplace_back(info->dls_serpath[i].dls_name);
    }
    return folders;
}

// The file by that name in the first of the folders that has one; a name with a slash is a path.
std::string findIn(const Folders &folders, const std::string &name) {
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), F_OK) == 0 ? name : std::string();
    for (const std::string &folder : folders) {
        std::string path = folder + '/' + name;
        if (access(path.c_str(), F_OK) == 0)
            return path;
    }
    return {};
}

bool isLoaded(const std::string &name) {
    void *library = dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (library != nullptr)
        dlclose(library);
    return library != nullptr;
}

struct LoadOrder {
    // `name` is needed by a library whose own folders are `first`.
    void add(const std::string &name, const Folders &first) {
        if (!seen.insert(name).second || isLoaded(name))
            return;
        std::string path = findIn(first, name);
        const bool own = !path.empty();
        if (!own)
            path = findIn(program, name);
        if (path.empty())
            return;
        const Needs needs = readNeeds(path);
        for (const std::string &needed : needs.names)
            add(needed, needs.folders);
        if (!own)
            libraries.push_back(name);
    }

    const Folders program = programFolders();
    std::unordered_set<std::string> seen;
    std::vector<std::string> libraries;
};

} // namespace

std::vector<std::string> libraryLoadOrder(const std::string &name) {
    LoadOrder order;
    order.add(name, {});
    return std::move(order.libraries);
}

void *openLibrary(const std::string &name, std::string &why) {
    // One that cannot be opened alone, needing what it does not name, comes with the first that
    // names it.
    std::vector<void *> opened;
    for (const std::string &library : libraryLoadOrder(name)) {
        if (void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL))
            opened.push_back(handle);
    }
    void *library = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr)
        why = dlerror();
    // The library holds those it needs from now on; without it they go again.
    for (auto handle = opened.rbegin(); handle != opened.rend(); ++handle)
        dlclose(*handle);
    return library;
}
