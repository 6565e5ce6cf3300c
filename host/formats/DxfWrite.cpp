/*
 * DxfWrite.cpp - the drawing as a DXF 2000 (AC1015) file in code page 932:
 * the header, the nine tables (LAYER, LTYPE and STYLE with every name the
 * figures use), the model and paper space blocks, the figures as LINE,
 * ARC, CIRCLE, POINT and TEXT entities, and the objects a DXF 2000 reader
 * expects (the root dictionary, groups, layouts, the plot style).  Every
 * object has its own handle and names its owner's.  The host's numbers
 * whose names the drawing did not bring (a figure list, a layer a session
 * chose) are written under their number: layer 3 is "3", line type 5
 * "LTYPE_5" (drawn continuous: the host keeps no pattern), text style 2
 * "STYLE_2".  Numbers are written in the shortest form that reads back as
 * the same double, angles as exact decimals of their stored millionths.
 */
#include "host/formats/Dxf.h"
#include "host/formats/DxfParts.h"
#include "host/text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

namespace host {

namespace {

using dxf::upper;

/* Handles of the file's fixed objects; the rest count up from kFirstFree. */
enum Handle : unsigned {
    hVportTable = 1, hLtypeTable, hLayerTable, hStyleTable, hViewTable, hUcsTable, hAppidTable, hDimstyleTable,
    hBlockRecordTable, hModelRecord, hPaperRecord, hModelBlock, hModelEnd, hPaperBlock, hPaperEnd, hRootDict,
    hGroupDict, hLayoutDict, hModelLayout, hPaperLayout, hPlotStyleDict, hPlotStyleNormal, hActiveVport,
    hAppAcad, hAppNerolit, hDimStandard, kFirstFree = 0x20
};

std::string hex(unsigned h)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", h);
    return buf;
}

/* A name not yet taken: `base`, else `base` with "_" added until free. */
std::string freeName(std::string base, std::set<std::string> &taken)
{
    while (taken.count(upper(base)))
        base += "_";
    taken.insert(upper(base));
    return base;
}

class Writer {
public:
    Writer(const FigureTable &fig, const DxfNames &names, double unitFactor, const DxfCurrent &current)
        : fig_(fig), names_(names), current_(current)
    {
        /* A session may set any number; the figures' fields hold 0..65535 and 0..255. */
        current_.layer = std::max(0, std::min(0xFFFF, current_.layer));
        current_.lineType = std::max(0, std::min(0xFF, current_.lineType));
        double length = dxfUnitLength(names.insUnits);
        scale_ = unitFactor > 0 && std::isfinite(unitFactor) ? length / unitFactor : 1.0;
        if (std::fabs(scale_ - std::round(scale_)) < 1e-9 * scale_)
            scale_ = std::round(scale_); /* 1 / 0.01 is 100, not 99.99999999999999 */
        int end = fig.drawingEnd();
        end_ = end < 0 ? fig.records().figureLimit() : end;
        collectNames();
    }

    std::string run()
    {
        std::string body;
        out_ = &body;
        tables();
        blocks();
        entities();
        objects();
        std::string head;
        out_ = &head;
        header();
        return head + body + "  0\nEOF\n";
    }

private:
    /* --- output ------------------------------------------------------- */
    void pair(int code, const std::string &value)
    {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%3d\n", code);
        *out_ += buf;
        *out_ += value;
        *out_ += '\n';
    }
    void text(int code, const std::string &utf8) { pair(code, dxf::encodeString(utf8)); }
    void real(int code, double v) { pair(code, formatDouble(v == 0 ? 0.0 : v)); }
    void whole(int code, long long v) { pair(code, std::to_string(v)); }
    void handle(int code, unsigned h) { pair(code, hex(h)); }
    void point(int code, double x, double y)
    {
        real(code, x);
        real(code + 10, y);
        real(code + 20, 0);
    }
    double coord(int32_t stored) const { return stored / scale_; }
    void start(const char *type, unsigned h, unsigned owner)
    {
        pair(0, type);
        handle(5, h);
        handle(330, owner);
    }
    void record(const char *type, unsigned h, unsigned owner, const char *subclass)
    {
        start(type, h, owner);
        pair(100, "AcDbSymbolTableRecord");
        pair(100, subclass);
    }
    void table(const char *name, unsigned h, size_t count)
    {
        pair(0, "TABLE");
        pair(2, name);
        handle(5, h);
        handle(330, 0);
        pair(100, "AcDbSymbolTable");
        whole(70, static_cast<long long>(count));
    }

    /* --- names -------------------------------------------------------- */
    /* The names of every layer, line type and style the figures use, and
       the figures' extent. */
    void collectNames()
    {
        std::set<std::string> taken;
        layers_ = names_.layers;
        if (layers_.empty()) {
            layers_.push_back(DxfLayer{});
            layers_[0].name = "0";
        }
        for (const DxfLayer &l : layers_)
            taken.insert(upper(l.name));
        lineTypes_ = names_.lineTypes;
        if (lineTypes_.size() < 2)
            lineTypes_ = {DxfLineType{"ByLayer", "", {}}, DxfLineType{"Continuous", "Solid line", {}}};
        styles_ = names_.styles;
        if (styles_.empty()) {
            styles_.push_back(DxfStyle{});
            styles_[0].name = "Standard";
        }
        std::set<int32_t> usedLayers{current_.layer}, usedTypes{current_.lineType}, usedStyles;
        bool any = false;
        for (int i = 0; i < end_;) {
            int n = entriesOfKind(fig_.kindAt(i));
            if (n > 0) {
                Box b = fig_.box(i);
                extent_ = any ? Box{std::min(extent_.x1, b.x1), std::min(extent_.y1, b.y1),
                                    std::max(extent_.x2, b.x2), std::max(extent_.y2, b.y2)}
                              : b;
                any = true;
                Figure f = fig_.read(i);
                usedLayers.insert(f.layer);
                usedTypes.insert(f.ltype);
                if (f.kind == kKindText || f.kind == kKindText6)
                    usedStyles.insert(f.style);
            }
            i += n > 0 ? n : 1;
        }
        /* Numbers beyond the tables get names and go to the tables' ends. */
        size_t layerCount = layers_.size(), typeCount = lineTypes_.size(), styleCount = styles_.size();
        for (int32_t l : usedLayers)
            if (l >= static_cast<int32_t>(layerCount)) {
                DxfLayer added;
                added.name = extraLayers_[l] = freeName(std::to_string(l), taken);
                layers_.push_back(added);
            }
        std::set<std::string> typeNames{"BYBLOCK", "BYLAYER"};
        for (const DxfLineType &t : lineTypes_)
            typeNames.insert(upper(t.name));
        for (int32_t t : usedTypes)
            if (t >= static_cast<int32_t>(typeCount)) {
                extraTypes_[t] = freeName("LTYPE_" + std::to_string(t), typeNames);
                lineTypes_.push_back(DxfLineType{extraTypes_[t], "host line type " + std::to_string(t), {}});
            }
        for (const DxfLayer &l : layers_)
            if (!typeNames.count(upper(l.lineType))) { /* a layer's line type the LTYPE table lacked */
                typeNames.insert(upper(l.lineType));
                lineTypes_.push_back(DxfLineType{l.lineType, "", {}});
            }
        std::set<std::string> styleNames;
        for (const DxfStyle &s : styles_)
            styleNames.insert(upper(s.name));
        for (int32_t s : usedStyles)
            if (s >= static_cast<int32_t>(styleCount)) {
                DxfStyle added;
                added.name = extraStyles_[s] = freeName("STYLE_" + std::to_string(s), styleNames);
                styles_.push_back(added);
            }
    }
    /* The name of a host number: its table entry, or the name made for it. */
    template <class Entry>
    static std::string nameOf(int32_t n, const std::vector<Entry> &table, const std::map<int32_t, std::string> &made)
    {
        auto it = made.find(n);
        return it != made.end() ? it->second : table[static_cast<size_t>(n)].name;
    }
    std::string layerName(int32_t l) const { return nameOf(l, layers_, extraLayers_); }
    std::string typeName(int32_t t) const { return nameOf(t, lineTypes_, extraTypes_); }
    std::string styleName(int32_t s) const { return nameOf(s, styles_, extraStyles_); }

    /* --- sections ----------------------------------------------------- */
    void header()
    {
        const Box &ext = extent_;
        pair(0, "SECTION");
        pair(2, "HEADER");
        auto var = [&](const char *name) { pair(9, name); };
        var("$ACADVER");
        pair(1, "AC1015");
        var("$ACADMAINTVER");
        whole(70, 6);
        var("$DWGCODEPAGE");
        pair(3, "ANSI_932");
        var("$INSBASE");
        point(10, 0, 0);
        var("$EXTMIN");
        point(10, ext.x1 / scale_, ext.y1 / scale_);
        var("$EXTMAX");
        point(10, ext.x2 / scale_, ext.y2 / scale_);
        var("$TEXTSTYLE");
        text(7, styles_[0].name);
        var("$CLAYER");
        text(8, layerName(current_.layer));
        var("$CELTYPE");
        text(6, current_.lineType == 0 ? "ByLayer" : typeName(current_.lineType));
        var("$CECOLOR");
        whole(62, current_.color >= 1 && current_.color <= 255 ? current_.color : 256);
        var("$MEASUREMENT");
        whole(70, names_.insUnits == 1 || names_.insUnits == 2 ? 0 : 1);
        var("$INSUNITS");
        whole(70, names_.insUnits);
        var("$HANDSEED");
        handle(5, next_);
        pair(0, "ENDSEC");
    }

    void tables()
    {
        pair(0, "SECTION");
        pair(2, "TABLES");
        table("VPORT", hVportTable, 1);
        record("VPORT", hActiveVport, hVportTable, "AcDbViewportTableRecord");
        pair(2, "*Active");
        whole(70, 0);
        real(10, 0);
        real(20, 0);
        real(11, 1);
        real(21, 1);
        real(12, (extent_.x1 + extent_.x2) / 2 / scale_);
        real(22, (extent_.y1 + extent_.y2) / 2 / scale_);
        real(40, std::max(1.0, (extent_.y2 - extent_.y1) * 1.1 / scale_));
        real(41, 1.34);
        pair(0, "ENDTAB");

        table("LTYPE", hLtypeTable, lineTypes_.size() + 1);
        lineType(DxfLineType{"ByBlock", "", {}});
        for (const DxfLineType &t : lineTypes_)
            lineType(t);
        pair(0, "ENDTAB");
        table("LAYER", hLayerTable, layers_.size());
        for (const DxfLayer &l : layers_)
            layer(l);
        pair(0, "ENDTAB");
        table("STYLE", hStyleTable, styles_.size());
        for (const DxfStyle &s : styles_)
            style(s);
        pair(0, "ENDTAB");

        table("VIEW", hViewTable, 0);
        pair(0, "ENDTAB");
        table("UCS", hUcsTable, 0);
        pair(0, "ENDTAB");
        table("APPID", hAppidTable, 2);
        record("APPID", hAppAcad, hAppidTable, "AcDbRegAppTableRecord");
        pair(2, "ACAD");
        whole(70, 0);
        record("APPID", hAppNerolit, hAppidTable, "AcDbRegAppTableRecord");
        pair(2, "NEROLIT");
        whole(70, 0);
        pair(0, "ENDTAB");

        table("DIMSTYLE", hDimstyleTable, 1);
        pair(100, "AcDbDimStyleTable");
        pair(0, "DIMSTYLE");
        handle(105, hDimStandard); /* a DIMSTYLE's handle has its own code */
        handle(330, hDimstyleTable);
        pair(100, "AcDbSymbolTableRecord");
        pair(100, "AcDbDimStyleTableRecord");
        pair(2, "Standard");
        whole(70, 0);
        pair(0, "ENDTAB");

        table("BLOCK_RECORD", hBlockRecordTable, 2);
        record("BLOCK_RECORD", hModelRecord, hBlockRecordTable, "AcDbBlockTableRecord");
        pair(2, "*Model_Space");
        handle(340, hModelLayout);
        record("BLOCK_RECORD", hPaperRecord, hBlockRecordTable, "AcDbBlockTableRecord");
        pair(2, "*Paper_Space");
        handle(340, hPaperLayout);
        pair(0, "ENDTAB");
        pair(0, "ENDSEC");
    }

    void lineType(const DxfLineType &t)
    {
        record("LTYPE", next_++, hLtypeTable, "AcDbLinetypeTableRecord");
        text(2, t.name);
        whole(70, 0);
        text(3, t.description);
        whole(72, 65);
        whole(73, static_cast<long long>(t.dashes.size()));
        double total = 0;
        for (double d : t.dashes)
            total += std::fabs(d);
        real(40, total);
        for (double d : t.dashes) {
            real(49, d);
            whole(74, 0);
        }
    }

    void layer(const DxfLayer &l)
    {
        record("LAYER", next_++, hLayerTable, "AcDbLayerTableRecord");
        text(2, l.name);
        whole(70, l.flags);
        whole(62, l.color);
        text(6, l.lineType);
        if (!l.plot)
            whole(290, 0);
        whole(370, l.lineWeight);
        handle(390, hPlotStyleNormal);
    }

    void style(const DxfStyle &s)
    {
        record("STYLE", next_++, hStyleTable, "AcDbTextStyleTableRecord");
        text(2, s.name);
        whole(70, 0);
        real(40, s.fixedHeight);
        real(41, s.widthFactor);
        real(50, s.oblique);
        whole(71, 0);
        real(42, 2.5);
        text(3, s.font);
        text(4, s.bigFont);
    }

    void blocks()
    {
        pair(0, "SECTION");
        pair(2, "BLOCKS");
        const char *names[2] = {"*Model_Space", "*Paper_Space"};
        const unsigned owner[2] = {hModelRecord, hPaperRecord}, begin[2] = {hModelBlock, hPaperBlock},
                       end[2] = {hModelEnd, hPaperEnd};
        for (int k = 0; k < 2; ++k) {
            blockHead("BLOCK", begin[k], owner[k], k == 1);
            pair(100, "AcDbBlockBegin");
            pair(2, names[k]);
            whole(70, 0);
            point(10, 0, 0);
            pair(3, names[k]);
            pair(1, "");
            blockHead("ENDBLK", end[k], owner[k], k == 1);
            pair(100, "AcDbBlockEnd");
        }
        pair(0, "ENDSEC");
    }

    /* What a BLOCK and an ENDBLK record begin with. */
    void blockHead(const char *type, unsigned h, unsigned owner, bool paper)
    {
        start(type, h, owner);
        pair(100, "AcDbEntity");
        if (paper)
            whole(67, 1);
        pair(8, "0");
    }

    void entities()
    {
        pair(0, "SECTION");
        pair(2, "ENTITIES");
        for (int i = 0; i < end_;) {
            int n = entriesOfKind(fig_.kindAt(i));
            if (n > 0)
                entity(fig_.read(i));
            i += n > 0 ? n : 1;
        }
        pair(0, "ENDSEC");
    }

    void entity(const Figure &f)
    {
        const char *type = f.kind == kKindLine ? "LINE" : f.kind == kKindPoint ? "POINT" : f.kind == kKindArc ? (f.isCircle() ? "CIRCLE" : "ARC")
                                                                                        : "TEXT";
        start(type, next_++, hModelRecord);
        pair(100, "AcDbEntity");
        text(8, layerName(f.layer));
        if (f.ltype != 0)
            text(6, typeName(f.ltype));
        if (f.color >= 1 && f.color <= 255)
            whole(62, f.color);
        if (f.kind == kKindLine) {
            pair(100, "AcDbLine");
            point(10, coord(f.x1), coord(f.y1));
            point(11, coord(f.x2), coord(f.y2));
        } else if (f.kind == kKindPoint) {
            pair(100, "AcDbPoint");
            point(10, coord(f.x1), coord(f.y1));
        } else if (f.kind == kKindArc) {
            pair(100, "AcDbCircle");
            point(10, coord(f.x1), coord(f.y1));
            real(40, coord(f.x2));
            if (!f.isCircle()) { /* the host's angles turn the other way: its end is the DXF start */
                pair(100, "AcDbArc");
                pair(50, formatMillionths(static_cast<int32_t>((kFullTurn - static_cast<long long>(f.end) % kFullTurn) % kFullTurn)));
                pair(51, formatMillionths(static_cast<int32_t>((kFullTurn - static_cast<long long>(f.start) % kFullTurn) % kFullTurn)));
            }
        } else {
            textEntity(f);
        }
        xdata(f);
    }

    void textEntity(const Figure &f)
    {
        int v = f.origin / 4, h = f.origin % 4;
        int h72 = h >= 0 && h <= 2 ? h : 0, v73 = v == 0 ? 3 : v == 1 ? 2 : 0;
        pair(100, "AcDbText");
        point(10, coord(f.x1), coord(f.y1));
        real(40, coord(f.height));
        text(1, f.text);
        if (f.angle != 0)
            pair(50, formatMillionths(f.angle));
        if (f.height != 0 && 2 * static_cast<long long>(f.width) != f.height)
            real(41, 2.0 * f.width / f.height);
        if (f.angle2 != 0)
            pair(51, formatMillionths(f.angle2));
        text(7, styleName(f.style));
        if (h72 != 0)
            whole(72, h72);
        if (h72 != 0 || v73 != 0)
            point(11, coord(f.x1), coord(f.y1));
        pair(100, "AcDbText");
        if (v73 != 0)
            whole(73, v73);
    }

    void xdata(const Figure &f)
    {
        bool text = f.kind == kKindText || f.kind == kKindText6;
        bool noPosition = text && (f.origin % 4 == 3 || f.origin > 10); /* no DXF alignment says it */
        if (f.group == 0 && f.link == 0 && !(text && (f.spacing != 0 || f.kind == kKindText6 || noPosition)))
            return;
        pair(1001, "NEROLIT");
        if (f.group != 0) {
            pair(1000, "group");
            whole(1071, f.group);
        }
        if (f.link != 0) {
            pair(1000, "link");
            whole(1070, f.link);
        }
        if (text && f.spacing != 0) {
            pair(1000, "spacing");
            whole(1071, f.spacing);
        }
        if (f.kind == kKindText6) {
            pair(1000, "kind");
            whole(1070, 6);
        }
        if (noPosition) {
            pair(1000, "origin");
            whole(1070, f.origin);
        }
    }

    void objects()
    {
        pair(0, "SECTION");
        pair(2, "OBJECTS");
        dictionary(hRootDict, 0, {{"ACAD_GROUP", hGroupDict}, {"ACAD_LAYOUT", hLayoutDict},
                                  {"ACAD_PLOTSTYLENAME", hPlotStyleDict}});
        dictionary(hGroupDict, hRootDict, {});
        dictionary(hLayoutDict, hRootDict, {{"Model", hModelLayout}, {"Layout1", hPaperLayout}});
        start("ACDBDICTIONARYWDFLT", hPlotStyleDict, hRootDict);
        pair(100, "AcDbDictionary");
        whole(281, 1);
        pair(3, "Normal");
        handle(350, hPlotStyleNormal);
        pair(100, "AcDbDictionaryWithDefault");
        handle(340, hPlotStyleNormal);
        start("ACDBPLACEHOLDER", hPlotStyleNormal, hPlotStyleDict);
        layout(hModelLayout, "Model", 0, hModelRecord);
        layout(hPaperLayout, "Layout1", 1, hPaperRecord);
        pair(0, "ENDSEC");
    }

    void dictionary(unsigned h, unsigned owner, std::vector<std::pair<const char *, unsigned>> entries)
    {
        start("DICTIONARY", h, owner);
        pair(100, "AcDbDictionary");
        whole(281, 1);
        for (const auto &e : entries) {
            pair(3, e.first);
            handle(350, e.second);
        }
    }

    void layout(unsigned h, const char *name, int order, unsigned blockRecord)
    {
        pair(0, "LAYOUT");
        handle(5, h);
        pair(102, "{ACAD_REACTORS");
        handle(330, hLayoutDict);
        pair(102, "}");
        handle(330, hLayoutDict);
        pair(100, "AcDbPlotSettings");
        pair(1, "");
        pair(2, "none_device");
        pair(4, "");
        pair(6, "");
        for (int c = 40; c <= 49; ++c)
            real(c, 0);
        real(140, 0);
        real(141, 0);
        real(142, 1);
        real(143, 1);
        whole(70, order == 0 ? 1024 : 0);
        whole(72, 1);
        whole(73, 0);
        whole(74, 5);
        pair(7, "");
        whole(75, 16);
        real(147, 1);
        real(148, 0);
        real(149, 0);
        pair(100, "AcDbLayout");
        pair(1, name);
        whole(70, 1);
        whole(71, order);
        real(10, 0);
        real(20, 0);
        real(11, 420);
        real(21, 297);
        point(12, 0, 0);
        point(14, extent_.x1 / scale_, extent_.y1 / scale_);
        point(15, extent_.x2 / scale_, extent_.y2 / scale_);
        real(146, 0);
        point(13, 0, 0);
        point(16, 1, 0);
        point(17, 0, 1);
        whole(76, 0);
        handle(330, blockRecord);
    }

    const FigureTable &fig_;
    const DxfNames &names_;
    DxfCurrent current_;
    double scale_ = 1; /* stored units per unit of the DXF */
    int end_ = 0;
    Box extent_{0, 0, 0, 0};
    std::string *out_ = nullptr;
    unsigned next_ = kFirstFree;
    std::vector<DxfLayer> layers_;
    std::vector<DxfLineType> lineTypes_;
    std::vector<DxfStyle> styles_;
    std::map<int32_t, std::string> extraLayers_, extraTypes_, extraStyles_;
};

} // namespace

std::string writeDxf(const FigureTable &fig, const DxfNames &names, double unitFactor, const DxfCurrent &current)
{
    return Writer(fig, names, unitFactor, current).run();
}

} // namespace host
