#include "files/ora_xml.h"

#include <charconv>

namespace qm {

const std::string* TXmlElement::attribute(std::string_view key) const
{
    for (const auto& [name, value] : attributes)
        if (name == key) return &value;
    return nullptr;
}

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 0x80 || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
           (c >= '0' && c <= '9') || c == '_' || c == ':' || c == '-' || c == '.';
}

void appendUtf8(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

class Parser {
  public:
    explicit Parser(std::string_view text) : text_(text) {}

    bool document(TXmlElement& root)
    {
        // A byte-order mark may precede the declaration.
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") at_ = 3;
        if (!misc()) return false;
        if (!startsWith("<")) return fail("no root element");
        if (!element(root, 1)) return false;
        if (!misc()) return false;
        if (at_ != text_.size()) return fail("content after the root element");
        return true;
    }

    const std::string& error() const { return error_; }

  private:
    bool fail(const char* why)
    {
        if (error_.empty()) error_ = std::string(why) + " at byte " + std::to_string(at_);
        return false;
    }

    bool startsWith(std::string_view s) const { return text_.substr(at_, s.size()) == s; }

    void skipSpace()
    {
        while (at_ < text_.size() && isSpace(text_[at_]))
            ++at_;
    }

    // Skips up to and past `end`; false when it never comes.
    bool skipPast(std::string_view end)
    {
        const size_t found = text_.find(end, at_);
        if (found == std::string_view::npos) return fail("unterminated markup");
        at_ = found + end.size();
        return true;
    }

    // Whitespace, comments and processing instructions between top-level markup.
    bool misc()
    {
        for (;;) {
            skipSpace();
            if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (startsWith("<!")) {
                return fail("document type declarations are not accepted");
            } else {
                return true;
            }
        }
    }

    bool name(std::string& out)
    {
        const size_t start = at_;
        // A name cannot start with a digit, '-' or '.'.
        if (at_ < text_.size() && isNameChar(text_[at_]) &&
            ((text_[at_] >= '0' && text_[at_] <= '9') || text_[at_] == '-' || text_[at_] == '.'))
            return fail("a name cannot start with this character");
        while (at_ < text_.size() && isNameChar(text_[at_]))
            ++at_;
        if (at_ == start) return fail("a name was expected");
        out.assign(text_.substr(start, at_ - start));
        return true;
    }

    // Decodes one reference starting at '&'.
    bool reference(std::string& out)
    {
        const size_t end = text_.find(';', at_);
        if (end == std::string_view::npos || end - at_ > 12)
            return fail("unterminated entity reference");
        const std::string_view body = text_.substr(at_ + 1, end - at_ - 1);
        at_ = end + 1;
        if (body == "amp")
            out += '&';
        else if (body == "lt")
            out += '<';
        else if (body == "gt")
            out += '>';
        else if (body == "quot")
            out += '"';
        else if (body == "apos")
            out += '\'';
        else if (body.size() >= 2 && body[0] == '#') {
            const bool hex = body[1] == 'x';
            const std::string_view digits = body.substr(hex ? 2 : 1);
            uint32_t cp = 0;
            const auto [ptr, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (digits.empty() || ec != std::errc() || ptr != digits.data() + digits.size())
                return fail("bad character reference");
            const bool allowed = cp == 0x9 || cp == 0xA || cp == 0xD ||
                                 (cp >= 0x20 && cp <= 0xD7FF) || (cp >= 0xE000 && cp <= 0xFFFD) ||
                                 (cp >= 0x10000 && cp <= 0x10FFFF);
            if (!allowed) return fail("character reference to a character XML does not allow");
            appendUtf8(out, cp);
        } else {
            return fail("unknown entity");
        }
        return true;
    }

    bool attributeValue(std::string& out)
    {
        if (at_ >= text_.size() || (text_[at_] != '"' && text_[at_] != '\''))
            return fail("an attribute value must be quoted");
        const char quote = text_[at_++];
        for (;;) {
            if (at_ >= text_.size()) return fail("unterminated attribute value");
            const char c = text_[at_];
            if (c == quote) {
                ++at_;
                return true;
            }
            if (c == '<') return fail("'<' inside an attribute value");
            if (c == '&') {
                if (!reference(out)) return false;
                continue;
            }
            // Literal whitespace is normalised to a space, as every XML reader does.
            out += isSpace(c) ? ' ' : c;
            ++at_;
        }
    }

    bool element(TXmlElement& out, int depth)
    {
        if (depth > kXmlMaxDepth) return fail("elements nested too deeply");
        if (++elements_ > kXmlMaxElements) return fail("too many elements");
        ++at_; // '<'
        if (!name(out.name)) return false;
        for (;;) {
            const size_t before = at_;
            skipSpace();
            if (at_ >= text_.size()) return fail("unterminated start tag");
            if (startsWith("/>")) {
                at_ += 2;
                return true;
            }
            if (text_[at_] == '>') {
                ++at_;
                break;
            }
            if (at_ == before) return fail("attributes must be separated by whitespace");
            std::string key, value;
            if (!name(key)) return false;
            skipSpace();
            if (at_ >= text_.size() || text_[at_] != '=')
                return fail("'=' expected after an attribute name");
            ++at_;
            skipSpace();
            if (!attributeValue(value)) return false;
            if (out.attribute(key)) return fail("an attribute appears twice");
            out.attributes.emplace_back(std::move(key), std::move(value));
        }
        return content(out, depth);
    }

    bool content(TXmlElement& out, int depth)
    {
        for (;;) {
            const size_t lt = text_.find('<', at_);
            if (lt == std::string_view::npos) return fail("element not closed");
            // Text is not used, but its references must still be well-formed.
            for (size_t amp = text_.find('&', at_); amp < lt; amp = text_.find('&', at_)) {
                at_ = amp;
                std::string ignored;
                if (!reference(ignored)) return false;
            }
            at_ = lt;
            if (startsWith("</")) {
                at_ += 2;
                std::string closing;
                if (!name(closing)) return false;
                skipSpace();
                if (closing != out.name || at_ >= text_.size() || text_[at_] != '>')
                    return fail("end tag does not match its start tag");
                ++at_;
                return true;
            }
            if (startsWith("<!--")) {
                if (!skipPast("-->")) return false;
            } else if (startsWith("<![CDATA[")) {
                if (!skipPast("]]>")) return false;
            } else if (startsWith("<?")) {
                if (!skipPast("?>")) return false;
            } else if (startsWith("<!")) {
                return fail("unexpected declaration inside an element");
            } else {
                out.children.emplace_back();
                if (!element(out.children.back(), depth + 1)) return false;
            }
        }
    }

    std::string_view text_;
    size_t at_ = 0;
    size_t elements_ = 0;
    std::string error_;
};

} // namespace

bool parseXml(std::string_view text, TXmlElement& root, std::string* error)
{
    Parser parser(text);
    TXmlElement parsed;
    if (!parser.document(parsed)) {
        if (error) *error = parser.error();
        return false;
    }
    root = std::move(parsed);
    return true;
}

std::string xmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        case '\t':
            out += "&#9;";
            break;
        case '\n':
            out += "&#10;";
            break;
        case '\r':
            out += "&#13;";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20)
                out += "\xEF\xBF\xBD";
            else
                out += c;
        }
    }
    return out;
}

} // namespace qm
