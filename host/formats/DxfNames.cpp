/*
 * DxfNames.cpp - the names of a DXF drawing and the host's numbers for
 * them.  Layer "0" is host layer 0 and the LAYER table follows in its
 * order; a name met only on an entity is added after the table (colour 7,
 * Continuous), as CAD programs do.  Line type 0 is ByLayer, 1 Continuous,
 * then the LTYPE table.  Text style 0 is Standard, then the STYLE table
 * (shape files, which hold no text style, left out).  Names compare
 * without regard to ASCII case and are kept as the file spells them.
 * Every string is decoded here: a DXF 2007 or later text that is not UTF-8
 * (programs that kept writing their code page) is read in the file's
 * $DWGCODEPAGE and counted, so the reader lists it as a repair.
 */
#include "host/formats/DxfParts.h"

#include <cstdlib>

namespace host {
namespace dxf {

namespace {

constexpr int32_t kMaxLayers = 65536, kMaxLineTypes = 256, kMaxStyles = 256; /* the packed fields */

std::vector<double> dashesOf(const Record &r)
{
    std::vector<double> out;
    for (size_t k = 0, end = r.dataEnd(); k < end; ++k)
        if (r.tags[k].code == 49)
            out.push_back(std::strtod(r.tags[k].value.c_str(), nullptr));
    return out;
}

/* Every byte a Shift-JIS character: a single byte (ASCII, half-width
   kana) or a lead byte with its trail byte.  Text that is not must not be
   read as Shift-JIS: it would come out garbled. */
bool formsShiftJis(const std::string &s)
{
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
            continue;
        if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) || i + 1 >= s.size())
            return false;
        unsigned char d = static_cast<unsigned char>(s[++i]);
        if (d < 0x40 || d == 0x7F || d > 0xFC)
            return false;
    }
    return true;
}

} // namespace

std::string Names::decode(const Tag &t, bool escapes) const
{
    std::string why;
    std::optional<std::string> s = decodeString(t.value, f_.encoding, escapes, why);
    if (s)
        return *s;
    std::string unused;
    std::optional<std::string> plain = f_.fallback == Encoding::Other ? std::nullopt
                                     : decodeString(t.value, f_.fallback, false, unused);
    if (plain && (f_.fallback != Encoding::Cp932 || formsShiftJis(t.value))) {
        if (fallbacks_++ == 0)
            firstFallback_ = t.line;
        return *decodeString(t.value, f_.fallback, escapes, unused);
    }
    if (fault_.empty())
        fault_ = f_.where(t.line) + ": " + why +
                 (f_.encoding == Encoding::Other ? " (this file's code page is " + f_.codePage + ")" : "");
    return "";
}

int32_t Names::find(std::map<std::string, int32_t> &index, const std::string &name) const
{
    auto it = index.find(upper(name));
    return it == index.end() ? -1 : it->second;
}

void Names::loadTables(DxfDrawing &d)
{
    out_.insUnits = f_.insUnits;
    out_.layers = {DxfLayer{}};
    out_.layers[0].name = "0";
    layerIndex_["0"] = 0;
    for (const Record &r : f_.layers) {
        const Tag *nameTag = r.find(2);
        if (!nameTag)
            continue;
        std::string name = decode(*nameTag, true);
        int32_t at = find(layerIndex_, name);
        if (name.empty() || (at > 0))
            continue; /* a second entry of the same name changes nothing */
        DxfLayer l;
        l.name = name;
        l.color = r.integer(62, 7);
        if (const Tag *lt = r.find(6))
            l.lineType = decode(*lt, true);
        l.flags = r.integer(70, 0);
        l.lineWeight = r.integer(370, -3);
        l.plot = r.integer(290, 1) != 0;
        if (at == 0) {
            out_.layers[0] = l;
        } else if (out_.layers.size() < static_cast<size_t>(kMaxLayers)) {
            layerIndex_[upper(name)] = static_cast<int32_t>(out_.layers.size());
            out_.layers.push_back(l);
        }
    }
    out_.lineTypes = {DxfLineType{"ByLayer", "", {}}, DxfLineType{"Continuous", "Solid line", {}}};
    lineTypeIndex_["BYLAYER"] = 0;
    lineTypeIndex_["CONTINUOUS"] = 1;
    lineTypeIndex_["BYBLOCK"] = kByBlock;
    for (const Record &r : f_.lineTypes) {
        const Tag *nameTag = r.find(2);
        if (!nameTag)
            continue;
        std::string name = decode(*nameTag, true);
        if (name.empty() || find(lineTypeIndex_, name) != -1 || upper(name) == "BYBLOCK")
            continue;
        if (out_.lineTypes.size() >= static_cast<size_t>(kMaxLineTypes)) {
            ++notKept_["line types beyond the 255th (drawn Continuous)"];
            continue;
        }
        DxfLineType lt;
        lt.name = name;
        if (const Tag *desc = r.find(3))
            lt.description = decode(*desc, true);
        lt.dashes = dashesOf(r);
        if (r.integer(74, 0) != 0 || r.find(75))
            ++notKept_["text and shapes in line types"];
        lineTypeIndex_[upper(name)] = static_cast<int32_t>(out_.lineTypes.size());
        out_.lineTypes.push_back(lt);
    }
    out_.styles = {DxfStyle{}};
    out_.styles[0].name = "Standard";
    styleIndex_["STANDARD"] = 0;
    for (const Record &r : f_.styles) {
        const Tag *nameTag = r.find(2);
        if (!nameTag || (r.integer(70, 0) & 1))
            continue;
        std::string name = decode(*nameTag, true);
        int32_t at = find(styleIndex_, name);
        if (name.empty() || at > 0 || (at != 0 && out_.styles.size() >= static_cast<size_t>(kMaxStyles)))
            continue;
        DxfStyle s;
        s.name = name;
        s.font = r.find(3) ? decode(*r.find(3), true) : "";
        s.bigFont = r.find(4) ? decode(*r.find(4), true) : "";
        s.fixedHeight = r.num(40, 0);
        s.widthFactor = r.num(41, 1);
        s.oblique = r.num(50, 0);
        if (at == 0) {
            out_.styles[0] = s;
        } else {
            styleIndex_[upper(name)] = static_cast<int32_t>(out_.styles.size());
            out_.styles.push_back(s);
        }
    }
    d.currentLayer = layer(f_.currentLayer);
    int32_t lt = lineType(f_.currentLineType);
    d.currentLineType = lt == kByBlock ? 1 : lt;
    int32_t c = color(f_.currentColor);
    d.currentColor = c == kByBlock ? 7 : c;
}

int32_t Names::layer(const Tag &nameTag)
{
    std::string name = decode(nameTag, true);
    if (name.empty())
        name = "0";
    int32_t at = find(layerIndex_, name);
    if (at >= 0)
        return at;
    if (out_.layers.size() >= static_cast<size_t>(kMaxLayers)) {
        ++notKept_["layers beyond the 65536th (figures put on layer 0)"];
        return 0;
    }
    DxfLayer l;
    l.name = name;
    layerIndex_[upper(name)] = static_cast<int32_t>(out_.layers.size());
    out_.layers.push_back(l);
    return static_cast<int32_t>(out_.layers.size() - 1);
}

int32_t Names::lineType(const Tag &nameTag) { return lineTypeNamed(decode(nameTag, true)); }

int32_t Names::lineTypeNamed(const std::string &name)
{
    if (name.empty())
        return 0;
    int32_t at = find(lineTypeIndex_, name);
    if (at != -1 || upper(name) == "BYBLOCK")
        return at;
    if (out_.lineTypes.size() >= static_cast<size_t>(kMaxLineTypes)) {
        ++notKept_["line types beyond the 255th (drawn Continuous)"];
        return 1;
    }
    lineTypeIndex_[upper(name)] = static_cast<int32_t>(out_.lineTypes.size());
    out_.lineTypes.push_back(DxfLineType{name, "", {}});
    return static_cast<int32_t>(out_.lineTypes.size() - 1);
}

int32_t Names::style(const Tag &nameTag)
{
    std::string name = decode(nameTag, true);
    int32_t at = name.empty() ? 0 : find(styleIndex_, name);
    if (at >= 0)
        return at;
    if (out_.styles.size() >= static_cast<size_t>(kMaxStyles)) {
        ++notKept_["text styles beyond the 256th (texts put in Standard)"];
        return 0;
    }
    DxfStyle s;
    s.name = name;
    styleIndex_[upper(name)] = static_cast<int32_t>(out_.styles.size());
    out_.styles.push_back(s);
    return static_cast<int32_t>(out_.styles.size() - 1);
}

int32_t Names::color(int aci) const
{
    if (aci == 0)
        return kByBlock;
    if (aci == 256 || aci < -255 || aci > 256)
        return 0;
    return aci < 0 ? -aci : aci;
}

int32_t Names::layerColor(int32_t layer) const
{
    int c = out_.layers[static_cast<size_t>(layer)].color;
    c = c < 0 ? -c : c;
    return c >= 1 && c <= 255 ? c : 7;
}

int32_t Names::layerLineType(int32_t layer)
{
    int32_t lt = lineTypeNamed(out_.layers[static_cast<size_t>(layer)].lineType);
    return lt <= 0 ? 1 : lt;
}

} // namespace dxf

double dxfUnitLength(int insUnits)
{
    switch (insUnits) {
    case 5: return 10;    /* centimetres */
    case 6: return 1000;  /* metres */
    case 14: return 100;  /* decimetres */
    default: return 1;    /* millimetres, unitless, and every other unit as it is */
    }
}

} // namespace host
