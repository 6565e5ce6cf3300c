/*
 * FuzzInput.cpp - the parts of a fuzz input and the bytes that drive the
 * on-demand user.
 */
#include "tests/fuzz/FuzzInput.h"

namespace fuzz {

namespace {

const char kMarker[] = "##fuzz ";

/* The part a marker line names, or nothing when the line is no marker. */
std::string *partOf(FuzzParts &p, const std::string &line, std::string &ignored)
{
    std::string l = !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    if (l.compare(0, sizeof kMarker - 1, kMarker) != 0)
        return nullptr;
    std::string name = l.substr(sizeof kMarker - 1);
    if (name == "drawing")
        return &p.drawing;
    if (name == "dxf") {
        p.hasDxf = true;
        return &p.dxf;
    }
    if (name == "settings")
        return &p.settings;
    if (name == "bytes")
        return &p.bytes;
    return &ignored;
}

} // namespace

FuzzParts splitInput(const uint8_t *data, size_t size)
{
    FuzzParts p;
    std::string text(reinterpret_cast<const char *>(data), size), ignored;
    std::string *into = &p.session;
    size_t b = 0;
    while (b < text.size()) {
        if (into == &p.bytes) { /* the bytes part runs to the end, line breaks and all */
            p.bytes = text.substr(b);
            break;
        }
        size_t e = text.find('\n', b);
        size_t next = e == std::string::npos ? text.size() : e + 1;
        std::string line = text.substr(b, (e == std::string::npos ? text.size() : e) - b);
        if (std::string *part = partOf(p, line, ignored)) {
            into = part;
            into->clear();
        } else {
            into->append(text, b, next - b);
        }
        b = next;
    }
    return p;
}

std::string joinInput(const FuzzParts &parts)
{
    std::string out = parts.session;
    auto add = [&](const char *name, const std::string &text, bool always) {
        if (text.empty() && !always)
            return;
        if (!out.empty() && out.back() != '\n')
            out += '\n';
        out += std::string(kMarker) + name + "\n" + text;
    };
    add("drawing", parts.drawing, false);
    add("dxf", parts.dxf, parts.hasDxf);
    add("settings", parts.settings, false);
    add("bytes", parts.bytes, false);
    return out;
}

int FuzzBytes::below(int n)
{
    if (n <= 1)
        return 0;
    if (n <= 256)
        return byte() % n;
    int v = byte() << 8;
    v |= byte();
    return v % n;
}

} // namespace fuzz
