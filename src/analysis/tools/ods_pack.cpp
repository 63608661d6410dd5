// Builds the analysis workbook from its text sources at build time:
//   ods_pack OUT.ods SOURCE_DIR MODULE.bas
// The package holds "mimetype" first and uncompressed (how a reader recognises the kind of
// document), then every file the manifest lists, then the manifest. The Basic module is kept
// as plain Basic text in the sources and wrapped into its XML form here. Everything is stored
// uncompressed: the workbook is small, and this keeps the tool free of a compression library.

#include <array>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/markup.h"

namespace {

const char* const kModuleEntry = "Basic/Standard/Module1.xml";

std::uint32_t crc32(const std::string& data) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : data)
        crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string moduleXml(const std::string& basic) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE script:module PUBLIC \"-//OpenOffice.org//DTD OfficeDocument 1.0//EN\" "
           "\"module.dtd\">\n"
           "<script:module xmlns:script=\"http://openoffice.org/2000/script\" "
           "script:name=\"Module1\" script:language=\"StarBasic\" script:moduleType=\"normal\">" +
           rl00::escapeMarkup(basic) + "</script:module>";
}

// The full paths the manifest lists, in its order, without the package root.
std::vector<std::string> manifestEntries(const std::string& manifest) {
    std::vector<std::string> entries;
    const std::string key = "manifest:full-path=\"";
    for (std::size_t at = manifest.find(key); at != std::string::npos;
         at = manifest.find(key, at)) {
        at += key.size();
        const std::size_t end = manifest.find('"', at);
        if (end == std::string::npos) break;
        std::string path = manifest.substr(at, end - at);
        if (path != "/" && path != "META-INF/manifest.xml") entries.push_back(path);
        at = end;
    }
    return entries;
}

class StoredZip {
  public:
    void add(const std::string& name, const std::string& data) {
        const std::uint32_t offset = static_cast<std::uint32_t>(local_.size());
        const std::uint32_t crc = crc32(data);
        const auto size = static_cast<std::uint32_t>(data.size());
        put32(local_, 0x04034b50);
        header(local_, name, crc, size);
        local_ += name;
        local_ += data;

        put32(central_, 0x02014b50);
        put16(central_, 20);  // made by
        header(central_, name, crc, size);
        put16(central_, 0);  // comment
        put16(central_, 0);  // disk
        put16(central_, 0);  // internal attributes
        put32(central_, 0);  // external attributes
        put32(central_, offset);
        central_ += name;
        ++count_;
    }

    std::string finish() const {
        std::string zip = local_ + central_;
        put32(zip, 0x06054b50);
        put16(zip, 0);
        put16(zip, 0);
        put16(zip, count_);
        put16(zip, count_);
        put32(zip, static_cast<std::uint32_t>(central_.size()));
        put32(zip, static_cast<std::uint32_t>(local_.size()));
        put16(zip, 0);
        return zip;
    }

  private:
    static void put16(std::string& s, std::uint32_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>((v >> 8) & 0xFF);
    }
    static void put32(std::string& s, std::uint32_t v) {
        put16(s, v & 0xFFFF);
        put16(s, v >> 16);
    }
    // The fields the local and the central header share, from "version needed" on.
    static void header(std::string& s, const std::string& name, std::uint32_t crc,
                       std::uint32_t size) {
        put16(s, 20);     // version needed
        put16(s, 0x800);  // names are UTF-8
        put16(s, 0);      // stored
        put16(s, 0);      // time 00:00
        put16(s, 0x21);   // date 1980-01-01, so that the build is repeatable
        put32(s, crc);
        put32(s, size);
        put32(s, size);
        put16(s, static_cast<std::uint32_t>(name.size()));
        put16(s, 0);  // extra field
    }

    std::string local_;
    std::string central_;
    std::uint32_t count_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: ods_pack OUT.ods SOURCE_DIR MODULE.bas\n";
        return 2;
    }
    const std::string out_path = argv[1];
    const std::string dir = argv[2];
    std::string mimetype, manifest, basic;
    if (!readFile(dir + "/mimetype", mimetype) ||
        !readFile(dir + "/META-INF/manifest.xml", manifest) || !readFile(argv[3], basic)) {
        std::cerr << "ods_pack: cannot read the mimetype, the manifest or the module\n";
        return 1;
    }

    StoredZip zip;
    zip.add("mimetype", mimetype);
    for (const std::string& entry : manifestEntries(manifest)) {
        std::string data;
        if (entry == kModuleEntry) {
            data = moduleXml(basic);
        } else if (!readFile(std::string(dir).append("/").append(entry), data)) {
            std::cerr << "ods_pack: the manifest lists " << entry << ", which is missing\n";
            return 1;
        }
        zip.add(entry, data);
    }
    zip.add("META-INF/manifest.xml", manifest);

    std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
    const std::string bytes = zip.finish();
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "ods_pack: cannot write " << out_path << "\n";
        return 1;
    }
    return 0;
}
