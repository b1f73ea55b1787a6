#include "tests/tools/FontDescriptor.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "tests/tools/ContentFiles.h"

namespace QuillTest {

namespace {

std::string Upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// A quoted element's text without its quotes; false when it is not quoted.
bool Unquote(const std::string& text, std::string& out)
{
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front()) {
        out = text.substr(1, text.size() - 2);
        return true;
    }
    return false;
}

bool IsInteger(const std::string& s)
{
    if (s.empty())
        return false;
    std::size_t i = (s[0] == '-' || s[0] == '+') ? 1 : 0;
    if (i == s.size())
        return false;
    for (; i < s.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(s[i])))
            return false;
    return true;
}

} // namespace

int FontDescriptor::Layer::DefaultHeight() const
{
    int h = 0;
    for (int c = 0; c < 256; ++c)
        h = std::max(h, rects[static_cast<std::size_t>(c)].h + offsetY[static_cast<std::size_t>(c)]);
    return h;
}

bool FontDescriptor::Fail(const std::string& text, int line)
{
    mError = text + " on Line " + std::to_string(line);
    return false;
}

bool FontDescriptor::Read(const std::filesystem::path& file)
{
    mFolder = file.parent_path();
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    if (bytes.empty())
        return Fail("cannot open", 0);
    std::string statement;
    int line = 1;
    bool lineStart = true;
    char quote = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = static_cast<char>(bytes[i]);
        if (c == '\r')
            continue;
        if (lineStart) {
            if (c == ' ' || c == '\t' || c == '\n') {
                if (c == '\n')
                    ++line;
                continue;
            }
            lineStart = false;
            if (c == '#') {
                while (i < bytes.size() && bytes[i] != '\n')
                    ++i;
                if (i < bytes.size()) {
                    ++line;
                    lineStart = true;
                }
                continue;
            }
        }
        if (c == '\n') {
            ++line;
            lineStart = true;
            statement += c;
            continue;
        }
        if (c == '\\' && i + 1 < bytes.size() && bytes[i + 1] != ';') {
            statement += c;
            statement += static_cast<char>(bytes[++i]);
            continue;
        }
        if (quote == 0 && (c == '"' || c == '\''))
            quote = c;
        else if (quote != 0 && c == quote)
            quote = 0;
        if (c == ';' && quote == 0) {
            if (!Execute(statement, line))
                return false;
            statement.clear();
            continue;
        }
        statement += c;
    }
    if (quote != 0)
        return Fail(quote == '"' ? "Unterminated Double Quotes" : "Unterminated Single Quotes", line);
    return true;
}

bool FontDescriptor::Split(const std::string& statement, Element& out)
{
    std::vector<Element*> stack{&out};
    out.isList = true;
    std::string token;
    char quote = 0;
    bool pending = false;
    auto flush = [&]() {
        if (pending) {
            Element e;
            e.text = token;
            stack.back()->items.push_back(e);
        }
        token.clear();
        pending = false;
    };
    for (std::size_t i = 0; i < statement.size(); ++i) {
        const char c = statement[i];
        if (c == '\\' && i + 1 < statement.size()) {
            token += statement[++i];
            pending = true;
            continue;
        }
        if (quote != 0) {
            token += c;
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            token += c;
            pending = true;
        } else if (c == ' ' || c == '\t' || c == '\n' || c == ',') {
            flush();
        } else if (c == '(') {
            if (pending)
                return false; // "Unexpected List Start"
            Element list;
            list.isList = true;
            stack.back()->items.push_back(list);
            stack.push_back(&stack.back()->items.back());
        } else if (c == ')') {
            flush();
            if (stack.size() < 2)
                return false; // "Unexpected List End"
            stack.pop_back();
        } else {
            token += c;
            pending = true;
        }
    }
    flush();
    return quote == 0 && stack.size() == 1;
}

FontDescriptor::Element FontDescriptor::Resolve(const Element& e, int depth) const
{
    if (e.isList || depth > 16)
        return e;
    const auto it = mDefines.find(Upper(e.text));
    return it == mDefines.end() ? e : Resolve(it->second, depth + 1);
}

bool FontDescriptor::Execute(const std::string& statement, int line)
{
    Element all;
    if (!Split(statement, all))
        return Fail("Statement does not split into elements", line);
    if (all.items.empty())
        return true;
    if (all.items[0].isList)
        return Fail("Missing Command", line);
    const std::string command = Upper(all.items[0].text);
    std::vector<Element> args;
    for (std::size_t i = 1; i < all.items.size(); ++i)
        args.push_back(i == 1 && command == "DEFINE" ? all.items[i] : Resolve(all.items[i]));
    const auto count = [&](std::size_t n) { return args.size() + 1 == n; };
    const auto number = [&](const Element& e, int& out) {
        if (e.isList || !IsInteger(e.text))
            return false;
        out = std::atoi(e.text.c_str());
        return true;
    };
    const auto layer = [&](const Element& e) -> Layer* {
        if (e.isList)
            return nullptr;
        const auto it = mLayers.find(Upper(e.text));
        return it == mLayers.end() ? nullptr : &it->second;
    };
    const auto character = [&](const Element& e, std::size_t length, std::string& out) {
        return !e.isList && Unquote(e.text, out) && out.size() == length;
    };

    if (command == "DEFINE") {
        if (!count(3) || args[0].isList)
            return Fail("Invalid Number of Parameters", line);
        mDefines[Upper(args[0].text)] = Resolve(args[1]);
        return true;
    }
    if (command == "SETDEFAULTPOINTSIZE")
        return count(2) && number(args[0], mDefaultPointSize) ? true : Fail("Invalid Paramater Type", line);
    if (command == "CREATEHORZSPANRECTLIST") {
        if (!count(4) || args[0].isList || !args[1].isList || args[1].items.size() != 4 || !args[2].isList)
            return Fail("Invalid Number of Parameters", line);
        int r[4];
        for (int i = 0; i < 4; ++i)
            if (!number(Resolve(args[1].items[static_cast<std::size_t>(i)]), r[i]))
                return Fail("Invalid Paramater Type", line);
        Element list;
        list.isList = true;
        int x = r[0];
        for (const Element& w : args[2].items) {
            int width = 0;
            if (!number(Resolve(w), width))
                return Fail("Invalid Paramater Type", line);
            Element rect;
            rect.isList = true;
            for (int v : {x, r[1], width, r[3]}) {
                Element n;
                n.text = std::to_string(v);
                rect.items.push_back(n);
            }
            list.items.push_back(rect);
            x += width;
        }
        mDefines[Upper(args[0].text)] = list;
        return true;
    }
    if (command == "CREATELAYER" || command == "CREATELAYERFROM") {
        if (!count(command == "CREATELAYER" ? 2 : 3) || args[0].isList)
            return Fail("Invalid Number of Parameters", line);
        const std::string name = Upper(args[0].text);
        if (mLayers.count(name))
            return Fail("Layer Already Exists", line);
        Layer fresh;
        if (command == "CREATELAYERFROM") {
            Layer* from = layer(args[1]);
            if (!from)
                return Fail("Undefined Layer", line);
            fresh = *from;
        }
        mLayers[name] = fresh;
        mOrder.push_back(name);
        return true;
    }
    if (args.empty())
        return Fail("Invalid Number of Parameters", line);
    Layer* target = layer(args[0]);
    if (command.rfind("LAYER", 0) == 0 && !target)
        return Fail("Undefined Layer", line);
    if (command == "LAYERSETIMAGE") {
        std::string name;
        if (!count(3) || !Unquote(args[1].text, name))
            return Fail("Invalid Paramater Type", line);
        if (!std::filesystem::exists(mFolder / name))
            return Fail("Failed to Load Image", line);
        target->image = (mFolder / name).string();
        return true;
    }
    if (command == "LAYERSETPOINTSIZE" || command == "LAYERSETASCENT" || command == "LAYERSETBASEORDER") {
        int v = 0;
        if (!count(3) || !number(args[1], v))
            return Fail("Invalid Paramater Type", line);
        (command == "LAYERSETPOINTSIZE" ? target->pointSize
         : command == "LAYERSETASCENT"  ? target->ascent
                                        : target->baseOrder) = v;
        return true;
    }
    if (command == "LAYERSETOFFSET") {
        if (!count(3) || !args[1].isList || args[1].items.size() != 2 ||
            !number(Resolve(args[1].items[0]), target->offsetLayerX) ||
            !number(Resolve(args[1].items[1]), target->offsetLayerY))
            return Fail("Invalid Paramater Type", line);
        return true;
    }
    if (command == "LAYERSETCOLORMULT") {
        if (!count(3) || !args[1].isList || args[1].items.size() != 4)
            return Fail("Invalid Paramater Type", line);
        for (std::size_t i = 0; i < 4; ++i) {
            const Element v = Resolve(args[1].items[i]);
            char* end = nullptr;
            target->colourMult[i] = std::strtod(v.text.c_str(), &end);
            if (v.isList || end == v.text.c_str() || *end != '\0' || target->colourMult[i] < 0.0 ||
                target->colourMult[i] > 1.0)
                return Fail("Invalid Paramater Type", line);
        }
        return true;
    }
    if (command == "LAYERSETIMAGEMAP" || command == "LAYERSETCHARWIDTHS" ||
        command == "LAYERSETCHAROFFSETS" || command == "LAYERSETKERNINGPAIRS") {
        if (!count(4) || !args[1].isList || !args[2].isList)
            return Fail("Invalid Paramater Type", line);
        if (args[1].items.size() != args[2].items.size())
            return Fail("List Size Mismatch", line);
        for (std::size_t i = 0; i < args[1].items.size(); ++i) {
            const Element key = Resolve(args[1].items[i]);
            const Element value = Resolve(args[2].items[i]);
            std::string chars;
            if (!character(key, command == "LAYERSETKERNINGPAIRS" ? 2 : 1, chars))
                return Fail("Invalid Paramater Type", line);
            const auto c = static_cast<unsigned char>(chars[0]);
            if (command == "LAYERSETIMAGEMAP") {
                if (target->image.empty())
                    return Fail("Layer image not set", line);
                if (!value.isList || value.items.size() != 4)
                    return Fail("Invalid Paramater Type", line);
                Rect& r = target->rects[c];
                int* fields[] = {&r.x, &r.y, &r.w, &r.h};
                for (std::size_t k = 0; k < 4; ++k)
                    if (!number(Resolve(value.items[k]), *fields[k]))
                        return Fail("Invalid Paramater Type", line);
            } else if (command == "LAYERSETCHARWIDTHS") {
                if (!number(value, target->widths[c]))
                    return Fail("Invalid Paramater Type", line);
            } else if (command == "LAYERSETCHAROFFSETS") {
                if (!value.isList || value.items.size() != 2 ||
                    !number(Resolve(value.items[0]), target->offsetX[c]) ||
                    !number(Resolve(value.items[1]), target->offsetY[c]))
                    return Fail("Invalid Paramater Type", line);
            } else {
                int k = 0;
                if (!number(value, k) || k < -128 || k > 127)
                    return Fail("Invalid Paramater Type", line);
                target->kerning[{c, static_cast<unsigned char>(chars[1])}] = k;
            }
        }
        return true;
    }
    return Fail("Unknown Command", line);
}

int FontDescriptor::StringWidth(const std::string& text) const
{
    int width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        int best = 0;
        for (const auto& [name, l] : mLayers) {
            int w = l.widths[c];
            if (i > 0) {
                const auto it = l.kerning.find({static_cast<unsigned char>(text[i - 1]), c});
                w += it == l.kerning.end() ? 0 : it->second;
            }
            best = std::max(best, w);
        }
        width += best;
    }
    return width;
}

int FontDescriptor::Ascent() const
{
    int a = 0;
    for (const auto& [name, l] : mLayers)
        a = std::max(a, l.ascent);
    return a;
}

} // namespace QuillTest
