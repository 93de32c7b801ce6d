#include "pellux/foundation/XmlDocument.h"

#include "pellux/foundation/FileChecks.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace Pellux
{

namespace
{
bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isAsciiLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// TinyXML takes every byte from 127 up for a letter.
bool startsName(unsigned char c)
{
    return isAsciiLetter(c) || c == '_' || c >= 127;
}

bool continuesName(unsigned char c)
{
    return startsName(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

char lowerCase(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Reading UTF-8, TinyXML takes a lead byte together with as many bytes as it announces,
// whatever those bytes are.
std::size_t utf8SequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 1;
}

const std::string_view byteOrderMark = "\xEF\xBB\xBF";
// Read as white space between parts of a document in UTF-8.
const std::string_view zeroWidthMarks[] = {byteOrderMark, "\xEF\xBF\xBE", "\xEF\xBF\xBF"};

// One pass over a document that steps over its parts where TinyXML does, counting how deep its
// elements nest and the '=' signs in each element's tag outside its quoted values, at least one
// for each attribute. Where TinyXML would give up reading, what the pass does no longer matters.
class MeasuringScan
{
public:
    // With `readsUtf8`, characters are read as UTF-8 from a byte order mark at the start or from
    // the end of the first declaration outside the elements: what TinyXML does unless the
    // declaration names another encoding.
    MeasuringScan(std::string_view text, int limit, bool readsUtf8) : text(text), limit(limit), readsUtf8(readsUtf8) {}

    XmlTextMeasure run()
    {
        utf8 = readsUtf8 && startsWith(byteOrderMark);
        while (at < text.size() && found.depth <= limit)
        {
            if (depth == 0)
            {
                skipWhiteSpace();
                // Outside the elements the parser stops at anything but markup.
                if (at >= text.size() || text[at] != '<')
                    break;
            }
            if (text[at] == '<')
                readMarkup();
            else
                readText('<');
        }
        return found;
    }

private:
    void readMarkup()
    {
        if (startsWith("</"))
        {
            depth = std::max(depth - 1, 0);
            skipPast(2, ">");
        }
        else if (startsWithIgnoringCase("<?xml"))
            readDeclaration();
        else if (startsWith("<!--"))
            skipPast(4, "-->");
        else if (startsWith("<![CDATA["))
            skipPast(9, "]]>");
        else if (startsName(byteAt(at + 1)))
            readElementTag();
        else
            // DOCTYPE, processing instructions and anything else the parser does not know.
            skipPast(1, ">");
    }

    void readElementTag()
    {
        found.depth = std::max(found.depth, ++depth);
        int attributes = 0;
        ++at;
        while (at < text.size())
        {
            char c = text[at];
            if (c == '=')
                found.attributes = std::max(found.attributes, ++attributes);
            if (c == '"' || c == '\'')
            {
                ++at;
                readText(c);
                ++at;
            }
            else if (c == '/' && byteAt(at + 1) == '>')
            {
                --depth;
                at += 2;
                return;
            }
            else
            {
                ++at;
                if (c == '>')
                    return;
            }
        }
    }

    // "<?xml" with the attributes version, encoding and standalone, whose quoted values may hold
    // a '>'; anything else in it is skipped word by word.
    void readDeclaration()
    {
        at += 5;
        while (at < text.size() && text[at] != '>')
        {
            skipWhiteSpace();
            if (startsWithIgnoringCase("version") || startsWithIgnoringCase("encoding") ||
                startsWithIgnoringCase("standalone"))
            {
                if (!readDeclarationAttribute())
                    at = text.size();
            }
            else
                while (at < text.size() && text[at] != '>' && !isWhiteSpace(text[at]))
                    ++at;
        }
        ++at;
        if (depth == 0 && readsUtf8)
            utf8 = true;
    }

    // False where the parser gives up.
    bool readDeclarationAttribute()
    {
        while (at < text.size() && continuesName(text[at]))
            ++at;
        skipWhiteSpace();
        if (byteAt(at) != '=')
            return false;
        ++at;
        skipWhiteSpace();
        if (at >= text.size())
            return false;
        char quote = text[at];
        if (quote == '"' || quote == '\'')
        {
            ++at;
            readText(quote);
            ++at;
            return true;
        }
        for (; at < text.size() && !isWhiteSpace(text[at]) && text[at] != '/' && text[at] != '>'; ++at)
            if (text[at] == '"' || text[at] == '\'')
                return false;
        return true;
    }

    // Character data up to `end`, which is left unread.
    void readText(char end)
    {
        while (at < text.size() && text[at] != end)
            readCharacter();
    }

    void readCharacter()
    {
        std::size_t length = utf8 ? utf8SequenceLength(byteAt(at)) : 1;
        if (length > 1)
            at += length;
        else if (text[at] == '&' && byteAt(at + 1) == '#' && byteAt(at + 2) != 0)
            skipCharacterReference();
        else
            ++at;
    }

    // TinyXML reads "&#" up to the next ';' as one character, however far that is; when what
    // lies between is no number it gives up reading.
    void skipCharacterReference()
    {
        bool hexadecimal = text[at + 2] == 'x';
        if (hexadecimal && byteAt(at + 3) == 0)
        {
            at = text.size();
            return;
        }
        std::size_t semicolon = text.find(';', at + (hexadecimal ? 3 : 2));
        at = semicolon == std::string_view::npos ? text.size() : semicolon + 1;
    }

    void skipWhiteSpace()
    {
        while (at < text.size())
        {
            if (utf8 && std::any_of(std::begin(zeroWidthMarks), std::end(zeroWidthMarks),
                                    [this](std::string_view mark) { return startsWith(mark); }))
                at += 3;
            else if (isWhiteSpace(text[at]))
                ++at;
            else
                return;
        }
    }

    // Past the first `terminator` after the `opening` characters.
    void skipPast(std::size_t opening, std::string_view terminator)
    {
        std::size_t found = text.find(terminator, at + opening);
        at = found == std::string_view::npos ? text.size() : found + terminator.size();
    }

    unsigned char byteAt(std::size_t position) const
    {
        return position < text.size() ? static_cast<unsigned char>(text[position]) : 0;
    }

    bool startsWith(std::string_view word) const
    {
        return at <= text.size() && text.substr(at, word.size()) == word;
    }

    bool startsWithIgnoringCase(std::string_view word) const
    {
        if (at > text.size() || text.size() - at < word.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i)
            if (lowerCase(text[at + i]) != word[i])
                return false;
        return true;
    }

    std::string_view text;
    int limit;
    bool readsUtf8;
    bool utf8 = false;
    std::size_t at = 0;
    int depth = 0;
    XmlTextMeasure found;
};

// The offset of the first byte that no text holds: NUL and the other control characters but tab
// and line breaks. npos when there is none.
std::size_t firstNonTextByte(const std::string& text)
{
    auto found = std::find_if(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    return found == text.end() ? std::string::npos : static_cast<std::size_t>(found - text.begin());
}

std::string describeNonTextByte(const std::string& text, std::size_t offset)
{
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[offset]));
    return "not an XML document: byte " + std::to_string(offset) + " is " + byte + ", so it is not text";
}

// As TinyXML's own file reading does: "\r\n" and a lone "\r" become "\n".
void normaliseLineBreaks(std::string& text)
{
    std::size_t written = 0;
    for (std::size_t read = 0; read < text.size(); ++read)
    {
        char c = text[read];
        text[written++] = c == '\r' ? '\n' : c;
        if (c == '\r' && read + 1 < text.size() && text[read + 1] == '\n')
            ++read;
    }
    text.resize(written);
}

std::string describeParseError(const TiXmlDocument& document)
{
    std::string description = document.ErrorDesc();
    if (document.ErrorRow() > 0)
        description = "line " + std::to_string(document.ErrorRow()) + ", column " + std::to_string(document.ErrorCol()) +
                      ": " + description;
    return description;
}

// Inside a broken UTF-8 sequence at the end TinyXML reads up to three bytes past the text.
const std::size_t parserOverreach = 3;
}

XmlTextMeasure measureXmlText(std::string_view text, int depthLimit)
{
    // The parser reads the text as a C string.
    text = text.substr(0, text.find('\0'));
    // Whether TinyXML reads characters byte by byte or as UTF-8 hangs on the declared encoding;
    // the larger of the two counts holds either way.
    XmlTextMeasure bytes = MeasuringScan(text, depthLimit, false).run();
    if (bytes.depth > depthLimit)
        return bytes;
    XmlTextMeasure utf8 = MeasuringScan(text, depthLimit, true).run();
    return {std::max(bytes.depth, utf8.depth), std::max(bytes.attributes, utf8.attributes)};
}

bool parseXmlText(std::string text, TiXmlDocument& document, std::string& problem)
{
    std::size_t nonText = firstNonTextByte(text);
    if (nonText != std::string::npos)
    {
        problem = describeNonTextByte(text, nonText);
        return false;
    }
    normaliseLineBreaks(text);
    XmlTextMeasure measure = measureXmlText(text, maxXmlNestingDepth);
    if (measure.depth > maxXmlNestingDepth)
    {
        problem = "elements nested deeper than " + std::to_string(maxXmlNestingDepth) + " levels";
        return false;
    }
    if (measure.attributes > maxXmlAttributes)
    {
        problem = "an element with more than " + std::to_string(maxXmlAttributes) + " attributes";
        return false;
    }
    text.append(parserOverreach, '\0');
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    if (document.Error())
    {
        problem = describeParseError(document);
        return false;
    }
    return true;
}

bool readXmlFile(const std::string& path, TiXmlDocument& document, std::string& problem)
{
    std::string unreadable = unreadableFileReason(path);
    if (!unreadable.empty())
    {
        problem = "the file " + unreadable;
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
    {
        problem = "the file cannot be opened";
        return false;
    }
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
    {
        problem = "the file cannot be read";
        return false;
    }
    return parseXmlText(content.str(), document, problem);
}

}
