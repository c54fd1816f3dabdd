#include "MelodyFile.h"

#include <cstdio>
#include <memory>

#include "lumkit/LumText.h"

namespace {

// A line starting at `begin`, without its line end (LF or CR LF).
struct Line {
    std::size_t begin;
    std::size_t end;   // of the text
    std::size_t next;  // start of the next line, or npos after the last
};

Line LineAt(const std::string& file, std::size_t begin) {
    std::size_t lf = file.find('\n', begin);
    if (lf == std::string::npos) return {begin, file.size(), std::string::npos};
    std::size_t end = lf > begin && file[lf - 1] == '\r' ? lf - 1 : lf;
    return {begin, end, lf + 1};
}

// Calls visit(name, line) for each header line, in order, until it returns false.
template <typename Visit>
void ForEachHeader(const std::string& file, Visit visit) {
    for (std::size_t at = file.find("\n["); at != std::string::npos; at = file.find("\n[", at + 1)) {
        const Line line = LineAt(file, at + 1);
        const std::size_t close = file.find(']', line.begin + 1);
        if (close == std::string::npos || close >= line.end) continue;
        if (!visit(file.substr(line.begin + 1, close - line.begin - 1), line)) return;
    }
}

}  // namespace

std::optional<std::string> ReadMelodyFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!in) return std::nullopt;
    std::string bytes;
    char chunk[16384];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, in.get());
        if (bytes.size() + got > kMaxMelodyFileSize) return std::nullopt;
        bytes.append(chunk, got);
        if (got < sizeof chunk) break;
    }
    // A read error (a folder, a device gone) is an unreadable file.
    if (std::ferror(in.get())) return std::nullopt;
    return bytes;
}

std::string MelodyText(const std::string& file, const std::string& name) {
    std::string text;
    ForEachHeader(file, [&](const std::string& header, const Line& headerLine) {
        if (header != name) return true;
        for (std::size_t at = headerLine.next; at != std::string::npos && at < file.size();) {
            const Line line = LineAt(file, at);
            if (file[line.begin] == '[') break;
            std::string body = file.substr(line.begin, line.end - line.begin);
            const std::size_t comment = body.find(';');
            if (comment != std::string::npos) body.erase(comment);
            text += TrimSpaces(body);
            at = line.next;
        }
        return false;
    });
    return text;
}

std::vector<std::string> MelodyNames(const std::string& file) {
    std::vector<std::string> names;
    ForEachHeader(file, [&](const std::string& name, const Line&) {
        names.push_back(name);
        return true;
    });
    return names;
}
