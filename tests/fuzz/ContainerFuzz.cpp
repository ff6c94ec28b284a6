// Feeds arbitrary bytes to the document reader as a whole document. Whatever unpacks is packed
// again and must unpack to the same six files.
#include "platform/Messages.h"
#include "store/DocumentContainer.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string Dir() {
    static const std::string dir = [] {
        std::string templ = "/tmp/containerfuzzXXXXXX";
        std::string made = ::mkdtemp(templ.data());
        SetMessageHandler([](const MessageRequest&) { return static_cast<int>(IDOK); });
        return made + "/";
    }();
    return dir;
}

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string document = Dir() + "input.qlr";
    {
        std::ofstream out(document, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    DocumentFiles files;
    for (size_t i = 0; i < files.size(); ++i)
        files[i] = Dir() + "slot" + std::to_string(i);
    if (UnpackDocument(document, files)) {
        DocumentFiles first;
        for (size_t i = 0; i < files.size(); ++i)
            first[i] = Read(files[i]);
        const std::string again = Dir() + "again.qlr";
        if (!PackDocument(again, files) || !UnpackDocument(again, files))
            __builtin_trap();
        for (size_t i = 0; i < files.size(); ++i)
            if (Read(files[i]) != first[i])
                __builtin_trap();
    }
    return 0;
}
