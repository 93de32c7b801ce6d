#include "pellux/foundation/StringUtils.h"

#include "pellux/foundation/Logger.h"

#include <algorithm>
#include <charconv>

namespace Pellux
{

std::string StringUtils::trimLeft(const std::string& s, const std::string& chars)
{
    std::size_t first = s.find_first_not_of(chars);
    return first == std::string::npos ? std::string() : s.substr(first);
}

std::string StringUtils::trimRight(const std::string& s, const std::string& chars)
{
    std::size_t last = s.find_last_not_of(chars);
    return last == std::string::npos ? std::string() : s.substr(0, last + 1);
}

std::string StringUtils::trim(const std::string& s, const std::string& chars)
{
    return trimRight(trimLeft(s, chars), chars);
}

std::string StringUtils::repeat(char c, int n)
{
    return n > 0 ? std::string(static_cast<std::size_t>(n), c) : std::string();
}

std::string StringUtils::pad(const std::string& s, char fill, int width)
{
    return s + repeat(fill, width - static_cast<int>(s.size()));
}

std::string StringUtils::padRight(const std::string& s, int width)
{
    return pad(s, ' ', width);
}

bool StringUtils::endsWith(const std::string& s, const std::string& suffix)
{
    LOG(Logger::getInstance().trace) << "endsWith(" << s << ", " << suffix << ")" << std::endl;
    return suffix.size() <= s.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string StringUtils::toString(float value, int precision)
{
    precision = std::max(precision, 0);
    // The largest float has 39 digits before the point.
    std::string text(48 + static_cast<std::size_t>(precision), '\0');
    std::to_chars_result result = std::to_chars(text.data(), text.data() + text.size(), value,
                                                std::chars_format::fixed, precision);
    text.resize(static_cast<std::size_t>(result.ptr - text.data()));
    return text;
}

}
