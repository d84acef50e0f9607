#include "tools/dump_json.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rupena::tools {
namespace {

using namespace exchange;

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

// Writes values by their type, records through their field lists: a record
// as an object of its fields, a point and an order entry as the array of
// their values, arrays, vectors and tables as arrays.
class JsonFields {
 public:
  explicit JsonFields(JsonOut& j) : j_(j) {}

  template <typename T>
  void operator()(std::string_view key, const T& value) {
    j_.Key(key);
    Value(value);
  }

  // Only the points a file set, each with its number, and without the flag.
  void operator()(std::string_view key, const std::array<DesignatedPoint, kPointSlotCount>& slots) {
    j_.Key(key);
    j_.Open('[');
    for (std::size_t no = 0; no < slots.size(); ++no) {
      if (!slots[no].set) continue;
      j_.Open('{');
      j_.Key("No").Int(static_cast<std::int64_t>(no));
      DesignatedPoint::Fields(
          [this](std::string_view name, const auto& v) {
            if (name != "Set") (*this)(name, v);
          },
          slots[no]);
      j_.Close('}');
    }
    j_.Close(']');
  }

  template <typename T>
  void Value(const T& v) {
    if constexpr (std::is_same_v<T, bool>) {
      j_.Bool(v);
    } else if constexpr (std::is_same_v<T, std::int32_t>) {
      j_.Int(v);
    } else if constexpr (std::is_enum_v<T>) {
      j_.Int(static_cast<std::int64_t>(v));
    } else if constexpr (std::is_same_v<T, double>) {
      j_.Real(v);
    } else if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, FontName>) {
      j_.Hex(v);
    } else if constexpr (std::is_same_v<T, Corner> || std::is_same_v<T, OrderEntry>) {
      j_.Open('[');
      T::Fields([this](std::string_view, const auto& x) { this->Value(x); }, v);
      j_.Close(']');
    } else if constexpr (HasFields<T>) {
      j_.Open('{');
      T::Fields(*this, v);
      j_.Close('}');
    } else if constexpr (kIsBlockTable<T>) {
      j_.Open('[');
      for (std::size_t i = 0; i < v.size(); ++i) Value(v[i]);
      j_.Close(']');
    } else {
      j_.Open('[');
      for (const auto& x : v) Value(x);
      j_.Close(']');
    }
  }

 private:
  JsonOut& j_;
};

}  // namespace

std::string DumpJson(const Drawing& d, const ReaderState& state, bool loaded) {
  JsonOut j;
  JsonFields fields(j);
  j.Open('{');
  j.Key("loaded").Bool(loaded);
  // The dump predates the reader keeping its own state apart from the
  // drawing: its keys interleave the two.
  Drawing::HeaderFields(fields, d);
  fields("CurAttr", state.current);
  fields("FirstAttr", d.firstAttributes);
  // Nine flags once, the last three always false while reading.
  std::array<bool, 9> fresh{};
  std::copy(state.firstPending.begin(), state.firstPending.end(), fresh.begin());
  fields("AttrFresh", fresh);
  fields("LineWidthSeen", d.hasLineWidths);
  fields("HeldLine", state.heldLine);
  fields("EntityOrder", d.entityOrder);
  j.Key("Entities");
  j.Open('{');
  ForEachEntityTable(
      [&](EntityKind kind, std::string_view, const auto& table) {
        fields(std::to_string(static_cast<int>(kind)), table);
      },
      d);
  j.Close('}');
  j.Close('}');
  return j.Take() + "\n";
}

}  // namespace rupena::tools
