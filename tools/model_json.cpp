#include "tools/model_json.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "exchange/drawing_model.h"

namespace RupenaCli {
namespace {

using namespace JwwGaibu;

// Appends JSON to one string; the caller places commas through Key/Item.
class JsonOut {
 public:
  std::string Take() { return std::move(out_); }

  void Open(char c) {
    Sep();
    out_ += c;
    first_ = true;
  }
  void Close(char c) {
    out_ += c;
    first_ = false;
  }
  JsonOut& Key(std::string_view k) {
    Sep();
    out_ += '"';
    out_ += k;
    out_ += "\":";
    pendingValue_ = true;
    return *this;
  }
  void Bool(bool b) { Raw(b ? "true" : "false"); }
  void Int(std::int64_t v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    Raw(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }
  void Real(double v) {
    if (!std::isfinite(v)) return Raw("null");  // cannot come from the reader
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    Raw(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
  }
  void Hex(std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    Sep();
    out_ += '"';
    for (char c : bytes) {
      const auto b = static_cast<unsigned char>(c);
      out_ += kDigits[b >> 4];
      out_ += kDigits[b & 15];
    }
    out_ += '"';
  }

 private:
  void Sep() {
    if (pendingValue_) {
      pendingValue_ = false;
      return;
    }
    if (!first_) out_ += ',';
    first_ = false;
  }
  void Raw(std::string_view s) {
    Sep();
    out_ += s;
  }

  std::string out_;
  bool first_ = true;
  bool pendingValue_ = false;
};

template <typename Range, typename F>
void Array(JsonOut& j, const Range& range, F&& item) {
  j.Open('[');
  for (const auto& v : range) item(v);
  j.Close(']');
}

void Reals(JsonOut& j, std::string_view key, const auto& values) {
  j.Key(key);
  Array(j, values, [&](double v) { j.Real(v); });
}

void Head(JsonOut& j, const TJwwEntHead& h) {
  j.Key("PointRef").Int(h.PointRef);
  j.Key("LayerGroup").Int(h.LayerGroup);
  j.Key("Layer").Int(h.Layer);
  j.Key("Color").Int(h.Color);
  j.Key("LineType").Int(h.LineType);
  j.Key("LineWidth").Int(h.LineWidth);
  j.Key("ZFlags").Int(h.ZFlags);
}

void Record(JsonOut& j, const TJwwEntLine& r) {
  j.Open('{');
  Head(j, r);
  j.Key("PolylineNo").Int(r.PolylineNo);
  j.Key("X1").Real(r.X1);
  j.Key("Y1").Real(r.Y1);
  j.Key("X2").Real(r.X2);
  j.Key("Y2").Real(r.Y2);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntCircle& r) {
  j.Open('{');
  Head(j, r);
  Reals(j, "Values", r.Values);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntArc& r) {
  j.Open('{');
  Head(j, r);
  Reals(j, "Values", r.Values);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntText& r) {
  j.Open('{');
  Head(j, r);
  j.Key("TextKind").Int(r.TextKind);
  j.Key("CharStyle").Int(r.CharStyle);
  j.Key("TextType").Int(r.TextType);
  j.Key("CharWidth").Real(r.CharWidth);
  j.Key("CharHeight").Real(r.CharHeight);
  j.Key("CharSpacing").Real(r.CharSpacing);
  j.Key("X1").Real(r.X1);
  j.Key("Y1").Real(r.Y1);
  j.Key("DirX").Real(r.DirX);
  j.Key("DirY").Real(r.DirY);
  j.Key("FontName").Hex(r.FontName);
  j.Key("Text").Hex(r.Text);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntPoint& r) {
  j.Open('{');
  Head(j, r);
  j.Key("X").Real(r.X);
  j.Key("Y").Real(r.Y);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntPointEx& r) {
  j.Open('{');
  Head(j, r);
  j.Key("X").Real(r.X);
  j.Key("Y").Real(r.Y);
  Reals(j, "Values", r.Values);
  j.Key("Int").Int(r.Int);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntMsgText& r) {
  j.Open('{');
  Head(j, r);
  j.Key("Line");
  Record(j, r.Line);
  j.Key("Text");
  Record(j, r.Text);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntBlk& r) {
  j.Open('{');
  Head(j, r);
  j.Key("X").Real(r.X);
  j.Key("Y").Real(r.Y);
  j.Key("Name").Hex(r.Name);
  j.Close('}');
}

template <std::size_t N>
void Record(JsonOut& j, const TJwwEntSl<N>& r) {
  j.Open('{');
  Head(j, r);
  j.Key("ExtColor").Int(r.ExtColor);
  j.Key("Points");
  Array(j, r.Points, [&](const TJwwPoint& p) {
    j.Open('[');
    j.Real(p.X);
    j.Real(p.Y);
    j.Close(']');
  });
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntScSe& r) {
  j.Open('{');
  Head(j, r);
  j.Key("ExtColor").Int(r.ExtColor);
  Reals(j, "Values", r.Values);
  j.Key("Int").Int(r.Int);
  j.Close('}');
}

void Record(JsonOut& j, const TJwwEntSoSg& r) {
  j.Open('{');
  Head(j, r);
  j.Key("ExtColor").Int(r.ExtColor);
  Reals(j, "Values", r.Values);
  j.Close('}');
}

template <typename T>
void Table(JsonOut& j, int kind, const BlockTable<T>& table) {
  j.Key(std::to_string(kind));
  j.Open('[');
  for (std::int32_t i = 0; i < table.Count(); ++i) Record(j, table[static_cast<std::size_t>(i)]);
  j.Close(']');
}

// The fields both attribute sets have, in their order.
void AttrValues(JsonOut& j, const TJwwAttrValues& a) {
  j.Key("LayerGroup").Int(a.LayerGroup);
  j.Key("Layer").Int(a.Layer);
  j.Key("LineColor").Int(a.LineColor);
  j.Key("LineType").Int(a.LineType);
  j.Key("LineWidth").Int(a.LineWidth);
  j.Key("TextType").Int(a.TextType);
  j.Key("FreeWidth").Real(a.FreeWidth);
  j.Key("FreeHeight").Real(a.FreeHeight);
  j.Key("FreeSpacing").Real(a.FreeSpacing);
  j.Key("FreeColor").Int(a.FreeColor);
}

void Attributes(JsonOut& j, const TJwwAttr& a) {
  j.Open('{');
  j.Key("PointRef").Int(a.PointRef);
  AttrValues(j, a);
  j.Key("CharStyle").Int(a.CharStyle);
  j.Key("FontName").Hex(a.FontName);
  j.Key("ZFlags").Int(a.ZFlags);
  j.Key("PolylineCount").Int(a.PolylineCount);
  j.Key("InPolyline").Bool(a.InPolyline);
  j.Key("MsgMode").Bool(a.MsgMode);
  j.Key("PointColor").Int(a.PointColor);
  j.Key("ExtColor").Int(a.ExtColor);
  j.Close('}');
}

void FirstAttributes(JsonOut& j, const TJwwFirstAttr& a) {
  j.Open('{');
  AttrValues(j, a);
  j.Key("FontName").Hex(a.FontName);
  j.Close('}');
}

}  // namespace

std::string ModelToJson(bool loaded) {
  const TJwwModel& m = Model;
  JsonOut j;
  j.Open('{');
  j.Key("loaded").Bool(loaded);
  j.Key("DrawingFile").Hex(m.DrawingFile);
  j.Key("HkValue").Real(m.HkValue);
  Reals(j, "GroupScales", m.GroupScales);
  j.Key("SheetWidth").Real(m.SheetWidth);
  j.Key("SheetHeight").Real(m.SheetHeight);
  j.Key("TextTypes");
  Array(j, m.TextTypes, [&](const TJwwTextType& t) {
    j.Open('{');
    j.Key("Width").Real(t.Width);
    j.Key("Height").Real(t.Height);
    j.Key("Spacing").Real(t.Spacing);
    j.Key("Color").Int(t.Color);
    j.Close('}');
  });
  j.Key("BzSeen").Bool(m.BzSeen);
  Reals(j, "HnValues", m.HnValues);
  j.Key("GroupNames");
  Array(j, m.GroupNames, [&](const std::string& s) { j.Hex(s); });
  j.Key("GroupValues");
  Array(j, m.GroupValues, [&](std::int32_t v) { j.Int(v); });
  j.Key("LayerNames");
  Array(j, m.LayerNames, [&](const std::string& s) { j.Hex(s); });
  j.Key("LayerValues");
  Array(j, m.LayerValues, [&](std::int32_t v) { j.Int(v); });
  j.Key("PointSlots");
  j.Open('[');
  for (std::size_t no = 0; no < m.PointSlots.size(); ++no) {
    const TJwwPointSlot& s = m.PointSlots[no];
    if (!s.Set) continue;
    j.Open('{');
    j.Key("No").Int(static_cast<std::int64_t>(no));
    j.Key("X").Real(s.X);
    j.Key("Y").Real(s.Y);
    j.Key("Mark").Int(s.Mark);
    j.Close('}');
  }
  j.Close(']');
  j.Key("PointSlotCount").Int(m.PointSlotCount);
  j.Key("CurAttr");
  Attributes(j, m.CurAttr);
  j.Key("FirstAttr");
  FirstAttributes(j, m.FirstAttr);
  j.Key("AttrFresh");
  Array(j, m.AttrFresh, [&](bool b) { j.Bool(b); });
  j.Key("LineWidthSeen").Bool(m.LineWidthSeen);
  j.Key("HeldLine");
  Record(j, m.HeldLine);
  j.Key("EntityOrder");
  j.Open('[');
  for (std::int32_t i = 0; i < m.EntityOrder.Count(); ++i) {
    const TJwwOrder& o = m.EntityOrder[static_cast<std::size_t>(i)];
    j.Open('[');
    j.Int(o.Kind);
    j.Int(o.Index);
    j.Close(']');
  }
  j.Close(']');
  j.Key("Entities");
  j.Open('{');
  Table(j, kKindLine, m.Lines);
  Table(j, kKindCircle, m.Circles);
  Table(j, kKindArc, m.Arcs);
  Table(j, kKindText, m.Texts);
  Table(j, kKindPoint, m.Points);
  Table(j, kKindPointEx, m.PointExs);
  Table(j, kKindMsgText, m.MsgTexts);
  Table(j, kKindBlk, m.Blocks);
  Table(j, kKindSl2P, m.Sl2Ps);
  Table(j, kKindSl3P, m.Sl3Ps);
  Table(j, kKindSl4P, m.Sl4Ps);
  Table(j, kKindSc, m.Scs);
  Table(j, kKindSe, m.Ses);
  Table(j, kKindSo, m.Sos);
  Table(j, kKindSg, m.Sgs);
  j.Close('}');
  j.Close('}');
  return j.Take() + "\n";
}

}  // namespace RupenaCli
