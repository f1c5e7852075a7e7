#include "flat_json.h"

#include <cstdlib>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace bench {
namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : s_(text) {}

    void SkipSpace()
    {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_])))
            ++i_;
    }
    bool Eat(char c)
    {
        SkipSpace();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool AtEnd()
    {
        SkipSpace();
        return i_ == s_.size();
    }

    // A string literal: the text between the quotes, escapes left as written
    // (keys are compared and written back as written).
    bool String(std::string& out)
    {
        SkipSpace();
        if (i_ >= s_.size() || s_[i_] != '"')
            return false;
        const std::size_t start = ++i_;
        while (i_ < s_.size() && s_[i_] != '"')
            i_ += s_[i_] == '\\' ? 2 : 1;
        if (i_ >= s_.size())
            return false;
        out.assign(s_, start, i_ - start);
        ++i_;
        return true;
    }

    // Any value, returned as its raw text.
    bool Value(std::string& out)
    {
        SkipSpace();
        const std::size_t start = i_;
        int depth = 0;
        while (i_ < s_.size()) {
            const char c = s_[i_];
            if (c == '"') {
                std::string ignored;
                if (!String(ignored))
                    return false;
                if (depth == 0)
                    break;
                continue;
            }
            if (c == '{' || c == '[') {
                ++depth;
            } else if (c == '}' || c == ']') {
                if (depth == 0)
                    break;
                if (--depth == 0) {
                    ++i_;
                    break;
                }
            } else if (c == ',' && depth == 0) {
                break;
            }
            ++i_;
        }
        if (depth != 0)
            return false;
        std::size_t end = i_;
        while (end > start && std::isspace(static_cast<unsigned char>(s_[end - 1])))
            --end;
        if (end == start)
            return false;
        out.assign(s_, start, end - start);
        return true;
    }

private:
    const std::string& s_;
    std::size_t i_ = 0;
};

} // namespace

bool FlatJson::Load(const std::string& path)
{
    entries_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return true;
    std::ostringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    Parser p(s);
    if (p.AtEnd())
        return true;
    if (!p.Eat('{'))
        return false;
    if (p.Eat('}'))
        return p.AtEnd();
    do {
        std::string key, raw;
        if (!p.String(key) || !p.Eat(':') || !p.Value(raw))
            return false;
        SetRaw(key, std::move(raw));
    } while (p.Eat(','));
    return p.Eat('}') && p.AtEnd();
}

void FlatJson::SetRaw(const std::string& key, std::string raw)
{
    for (auto& [k, v] : entries_) {
        if (k == key) {
            v = std::move(raw);
            return;
        }
    }
    entries_.emplace_back(key, std::move(raw));
}

double FlatJson::Number(const std::string& key) const
{
    for (const auto& [k, raw] : entries_)
        if (k == key)
            return std::strtod(raw.c_str(), nullptr);
    return 0;
}

void FlatJson::SetNumber(const std::string& key, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    SetRaw(key, text);
}

void FlatJson::SetInteger(const std::string& key, unsigned long long value)
{
    SetRaw(key, std::to_string(value));
}

bool FlatJson::Save(const std::string& path) const
{
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << "{\n";
        for (std::size_t i = 0; i < entries_.size(); ++i)
            out << "  \"" << entries_[i].first << "\": " << entries_[i].second
                << (i + 1 < entries_.size() ? ",\n" : "\n");
        out << "}\n";
        out.close();
        if (!out)
            return false;
    }
    return std::rename(temp.c_str(), path.c_str()) == 0;
}

} // namespace bench
