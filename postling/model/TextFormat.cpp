#include "TextFormat.h"

#include "lumkit/LumStringSource.h"

namespace {

constexpr int kMaxWidth = 64;  // a hostile width must not allocate megabytes

std::string Pad(std::string text, int width, bool left, bool zeros) {
    if (static_cast<int>(text.size()) >= width) return text;
    std::size_t fill = static_cast<std::size_t>(width) - text.size();
    if (left) return text + std::string(fill, ' ');
    if (!zeros) return std::string(fill, ' ') + text;
    std::size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    return text.insert(digits, fill, '0');
}

}  // namespace

std::string FormatText(const std::string& format, const std::vector<FormatArg>& args) {
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        std::size_t j = i + 1;
        if (j < format.size() && format[j] == '%') {
            out += '%';
            i = j;
            continue;
        }
        bool left = false, zeros = false;
        for (; j < format.size() && (format[j] == '-' || format[j] == '0'); ++j)
            (format[j] == '-' ? left : zeros) = true;
        int width = 0;
        for (; j < format.size() && format[j] >= '0' && format[j] <= '9'; ++j)
            if (width <= kMaxWidth) width = width * 10 + (format[j] - '0');
        if (width > kMaxWidth) width = kMaxWidth;
        char conversion = j < format.size() ? format[j] : '\0';
        if (conversion != 'd' && conversion != 'i' && conversion != 'u' && conversion != 's') {
            out += format[i];  // not a conversion we know: literal text
            continue;
        }
        std::string text;
        bool number = false;
        if (next < args.size()) {
            const FormatArg& arg = args[next++];
            if (const std::int64_t* value = std::get_if<std::int64_t>(&arg)) {
                text = std::to_string(*value);
                number = true;
            } else {
                text = std::get<std::string>(arg);
            }
        }
        // Zero padding applies to numbers only, as printf's does.
        out += Pad(text, width, left, zeros && number && conversion != 's');
        i = j;
    }
    return out;
}

std::string LoadStringResource(unsigned id) {
    std::string text;
    if (!LoadResourceString(id, text)) text.clear();
    return text;
}

std::string FormatResource(unsigned id, const std::vector<FormatArg>& args) {
    std::string format = LoadStringResource(id);
    return format.empty() ? format : FormatText(format, args);
}
