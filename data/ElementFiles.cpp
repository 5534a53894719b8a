#include "data/ElementFiles.h"

#include "data/ElementSetReaders.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <stdexcept>
#include <system_error>

namespace earth {
namespace {

namespace fs = std::filesystem;

// Larger files are refused before they are read: the whole public catalogue as XML is
// about 60 MB.
constexpr std::uintmax_t maxFileBytes = 1ull << 30;
// Enough to tell the format by: the first sets or records.
constexpr std::size_t headBytes = 64 * 1024;

[[noreturn]] void unreadable(const std::string& path, const std::string& why) {
    throw std::runtime_error("Unable to read element sets from \"" + path + "\": " + why);
}

// A reason may quote the file's own bytes (the JSON parser's "last read"): keep the log
// readable whatever they are.
std::string printable(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f) c = '?';
    }
    return text;
}

}  // namespace

std::vector<std::string> expandElementPaths(const std::vector<std::string>& paths) {
    std::vector<std::string> files;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (error) unreadable(path, error.message());
        if (!fs::is_directory(status)) {
            files.push_back(path);
            continue;
        }
        std::vector<std::string> inFolder;
        for (fs::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error)) {
            const std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.' || it->is_directory(error)) continue;
            inFolder.push_back(it->path().string());
        }
        if (error) unreadable(path, error.message());
        if (inFolder.empty()) {
            throw std::runtime_error("No element-set files in the folder \"" + path + "\"");
        }
        std::sort(inFolder.begin(), inFolder.end());
        files.insert(files.end(), inFolder.begin(), inFolder.end());
    }
    return files;
}

ElementCategory readElementFile(const std::string& path, std::ostream& err) {
    std::ifstream file(path, std::ios::binary);
    if (!file) unreadable(path, std::strerror(errno));
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) unreadable(path, error.message());
    if (size > maxFileBytes) unreadable(path, "the file is larger than 1 GiB");

    std::string text(static_cast<std::size_t>(std::min<std::uintmax_t>(size, headBytes)), '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    const ElementFormat format = detectElementFormat(text);
    if (format == ElementFormat::Unknown) {
        throw std::runtime_error("\"" + path +
                                 "\" holds no element sets in a known format (two- or "
                                 "three-line sets, or OMM as CSV, JSON or XML)");
    }
    if (size > text.size()) {
        const std::size_t head = text.size();
        text.resize(static_cast<std::size_t>(size));
        file.read(text.data() + head, static_cast<std::streamsize>(size - head));
        text.resize(head + static_cast<std::size_t>(file.gcount()));
    }
    if (file.bad()) unreadable(path, "read error");

    ElementSetText read = readElementText(format, text);
    for (const SkippedRecord& skipped : read.skipped) {
        err << "Skipped a record of " << path << " at line " << skipped.line << ": "
            << printable(skipped.reason) << '\n';
    }
    if (read.skippedCount > read.skipped.size()) {
        err << "Skipped " << read.skippedCount - read.skipped.size() << " more records of "
            << path << '\n';
    }
    err.flush();
    if (read.sets.empty()) {
        throw std::runtime_error("\"" + path + "\" holds no valid element set");
    }
    return ElementCategory{fs::path(path).stem().string(), std::move(read.sets)};
}

}  // namespace earth
