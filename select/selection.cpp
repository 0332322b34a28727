// The selection expression language: comparisons of a frame's fields joined
// by and, or, not and parentheses, compiled once into a small tree that is
// evaluated on each frame's fields.
//
//   expr       := and-expr { "or" and-expr }
//   and-expr   := not-expr { "and" not-expr }
//   not-expr   := "not" not-expr | "(" expr ")" | comparison
//   comparison := FIELD op value | FIELD "in" "{" value { "," value } "}"
//   op         := "==" | "!=" | "<" | ">" | "<=" | ">="
//   value      := number (decimal, 0x hex, a.b.c.d) | name | "quoted name"
//
// Keywords and names are matched without regard to case; in a name an
// underscore stands for a blank ("RELEASE_COMPLETE").

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/korvex.h"
#include "select/frame_fields.h"

namespace {

using korvex::FieldKind;
using korvex::kFields;

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

struct Value {
    bool isNumber = false;
    int64_t number = 0;
    std::string text;  // a name (lower case, blanks for underscores), or a number's digits as written
};

struct Node {
    enum Kind { Or, And, Not, Compare, In } kind;
    int32_t left = -1, right = -1;  // children (Not: left)
    int32_t field = -1;
    Op op = Op::Eq;
    std::vector<Value> values;
};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Equal without regard to the case of ASCII letters.
bool SameText(std::string_view name, const char* text) {
    std::size_t i = 0;
    for (; i < name.size() && text[i] != '\0'; ++i) {
        if (Lower(name[i]) != Lower(text[i])) return false;
    }
    return i == name.size() && text[i] == '\0';
}

struct Fault {
    int32_t offset;
    std::string message;
};

class Parser {
public:
    explicit Parser(std::string_view text) : s_(text) {}

    std::vector<Node> Parse() {
        Skip();
        if (pos_ == s_.size()) throw Fault{0, "empty expression"};
        root_ = Expr();
        Skip();
        if (pos_ != s_.size()) throw Fault{Pos(), "expected and, or or the end of the expression"};
        return std::move(nodes_);
    }
    int32_t Root() const { return root_; }

private:
    int32_t Pos() const { return static_cast<int32_t>(pos_); }

    void Skip() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r')) ++pos_;
    }

    static bool WordChar(char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
               c == '.' || c == '-' || c == '+' || c == '*' || c == '#';
    }

    // The word at the position (letters, digits and the characters of
    // names and addresses), without moving.
    std::string_view PeekWord() const {
        std::size_t end = pos_;
        while (end < s_.size() && WordChar(s_[end])) ++end;
        return s_.substr(pos_, end - pos_);
    }

    bool Keyword(const char* word) {
        Skip();
        const std::string_view w = PeekWord();
        if (!SameText(w, word)) return false;
        pos_ += w.size();
        return true;
    }

    int32_t Add(Node node) {
        nodes_.push_back(std::move(node));
        return static_cast<int32_t>(nodes_.size() - 1);
    }

    int32_t Expr() {
        int32_t left = AndExpr();
        while (Keyword("or")) left = Add(Node{Node::Or, left, AndExpr(), -1, Op::Eq, {}});
        return left;
    }

    int32_t AndExpr() {
        int32_t left = NotExpr();
        while (Keyword("and")) left = Add(Node{Node::And, left, NotExpr(), -1, Op::Eq, {}});
        return left;
    }

    int32_t NotExpr() {
        if (Keyword("not")) return Add(Node{Node::Not, NotExpr(), -1, -1, Op::Eq, {}});
        Skip();
        if (pos_ < s_.size() && s_[pos_] == '(') {
            const int32_t open = Pos();
            ++pos_;
            const int32_t inner = Expr();
            Skip();
            if (pos_ >= s_.size() || s_[pos_] != ')') {
                throw Fault{pos_ >= s_.size() ? open : Pos(), pos_ >= s_.size() ? "unclosed (" : "expected )"};
            }
            ++pos_;
            return inner;
        }
        return Comparison();
    }

    int32_t Comparison() {
        Skip();
        const int32_t at = Pos();
        std::string_view name = PeekWord();
        if (name.empty()) throw Fault{at, pos_ == s_.size() ? "expected a field name at the end" : "expected a field name"};
        const int32_t field = korvex::FindField(name);
        if (field < 0) throw Fault{at, "unknown field '" + std::string(name) + "'"};
        pos_ += name.size();
        Node node{Node::Compare, -1, -1, field, Op::Eq, {}};
        Skip();
        const int32_t opAt = Pos();
        if (Keyword("in")) {
            node.kind = Node::In;
            Skip();
            if (pos_ >= s_.size() || s_[pos_] != '{') throw Fault{Pos(), "expected { after in"};
            ++pos_;
            for (;;) {
                node.values.push_back(ReadValue(field, Op::Eq));
                Skip();
                if (pos_ < s_.size() && s_[pos_] == ',') {
                    ++pos_;
                    continue;
                }
                if (pos_ < s_.size() && s_[pos_] == '}') {
                    ++pos_;
                    break;
                }
                throw Fault{Pos(), "expected , or }"};
            }
            return Add(std::move(node));
        }
        node.op = ReadOp(opAt);
        node.values.push_back(ReadValue(field, node.op));
        return Add(std::move(node));
    }

    Op ReadOp(int32_t at) {
        const std::string_view rest = s_.substr(pos_);
        struct Spelling { const char* text; Op op; };
        static constexpr Spelling kOps[] = {{"==", Op::Eq}, {"!=", Op::Ne}, {"<=", Op::Le},
                                            {">=", Op::Ge}, {"<", Op::Lt},  {">", Op::Gt}};
        for (const Spelling& o : kOps) {
            if (rest.substr(0, std::strlen(o.text)) == o.text) {
                pos_ += std::strlen(o.text);
                return o.op;
            }
        }
        throw Fault{at, "expected ==, !=, <, >, <=, >= or in"};
    }

    static bool ParseNumber(std::string_view w, int64_t& value) {
        if (w.empty()) return false;
        int base = 10;
        if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
            base = 16;
            w.remove_prefix(2);
        }
        // Dotted quads: IPv4 addresses.
        if (base == 10 && w.find('.') != std::string_view::npos) {
            int64_t address = 0;
            int parts = 0;
            std::size_t start = 0;
            while (start <= w.size()) {
                const std::size_t dot = std::min(w.find('.', start), w.size());
                int64_t part = 0;
                if (dot == start || dot - start > 3) return false;
                for (std::size_t i = start; i < dot; ++i) {
                    if (w[i] < '0' || w[i] > '9') return false;
                    part = part * 10 + (w[i] - '0');
                }
                if (part > 255) return false;
                address = address << 8 | part;
                ++parts;
                start = dot + 1;
            }
            if (parts != 4) return false;
            value = address;
            return true;
        }
        value = 0;
        for (char c : w) {
            int digit;
            if (c >= '0' && c <= '9') digit = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
            else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
            else return false;
            value = value * base + digit;
            if (value > 0xFFFFFFFFLL) return false;
        }
        return true;
    }

    Value ReadValue(int32_t field, Op op) {
        Skip();
        const int32_t at = Pos();
        Value v;
        if (pos_ < s_.size() && s_[pos_] == '"') {
            const std::size_t close = s_.find('"', pos_ + 1);
            if (close == std::string_view::npos) throw Fault{at, "unclosed \""};
            for (char c : s_.substr(pos_ + 1, close - pos_ - 1)) v.text.push_back(c == '_' ? ' ' : Lower(c));
            pos_ = close + 1;
        } else {
            const std::string_view w = PeekWord();
            if (w.empty()) throw Fault{at, pos_ == s_.size() ? "expected a value at the end" : "expected a value"};
            const bool startsLikeNumber = w[0] >= '0' && w[0] <= '9';
            if (startsLikeNumber) {
                if (!ParseNumber(w, v.number)) throw Fault{at, "not a number: " + std::string(w)};
                v.isNumber = true;
                v.text = std::string(w);
            } else {
                for (char c : w) v.text.push_back(c == '_' ? ' ' : Lower(c));
            }
            pos_ += w.size();
        }
        const FieldKind kind = kFields[field].kind;
        const std::string name = kFields[field].name;
        if (!v.isNumber && kind == FieldKind::Number) throw Fault{at, name + " takes a number"};
        const bool ordering = op != Op::Eq && op != Op::Ne;
        if (ordering && (kind == FieldKind::Text || !v.isNumber)) {
            throw Fault{at, name + " is compared by name: only ==, != and in"};
        }
        return v;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    std::vector<Node> nodes_;
    int32_t root_ = -1;
};

bool Compare(const KorvexField& f, Op op, const Value& v) {
    if (f.present == 0) return false;
    int cmp;
    if (v.isNumber && f.has_number != 0) {
        cmp = f.number < v.number ? -1 : f.number > v.number ? 1 : 0;
    } else if (f.text[0] != '\0') {
        // Names without regard to case; digits as written.
        cmp = SameText(v.text, f.text) ? 0 : 1;
        if (op != Op::Eq && op != Op::Ne) return false;
    } else {
        return false;
    }
    switch (op) {
    case Op::Eq: return cmp == 0;
    case Op::Ne: return cmp != 0;
    case Op::Lt: return cmp < 0;
    case Op::Gt: return cmp > 0;
    case Op::Le: return cmp <= 0;
    case Op::Ge: return cmp >= 0;
    }
    return false;
}

// A comparison or an "in" of one field.
bool Holds(const Node& n, const KorvexField& f) {
    if (n.kind == Node::Compare) return Compare(f, n.op, n.values[0]);
    for (const Value& v : n.values) {
        if (Compare(f, Op::Eq, v)) return true;
    }
    return false;
}

// A selection over the LAPD address fields and the direction alone: its
// verdict for every address (SAPI and C/R in the first octet, TEI in the
// second, less their EA bits) and every direction, worked out once through
// the full reading of the fields, so that a frame costs one look-up.
class AddressTable {
public:
    static constexpr std::size_t kWays = 3;  // U, N, none
    static constexpr char kWayDirections[kWays] = {'U', 'N', ' '};
    static constexpr std::size_t kAddresses = std::size_t{1} << 14;

    void Resize() { bits_.assign(kWays * kAddresses / 64, 0); }
    // The verdict for a frame too short to have its address read.
    void SetShort(std::size_t way, bool verdict) { short_[way] = verdict; }
    void Set(std::size_t index, bool verdict) {
        if (verdict) bits_[index / 64] |= uint64_t{1} << (index % 64);
    }
    static std::size_t Index(std::size_t way, unsigned char first, unsigned char second) {
        return way * kAddresses | std::size_t{first} >> 1 << 7 | std::size_t{second} >> 1;
    }

    bool Match(char direction, const unsigned char* octets, int32_t length) const {
        const std::size_t way = direction == 'U' ? 0 : direction == 'N' ? 1 : 2;
        // The address is read only where a control field follows it.
        if (octets == nullptr || length <= 2) return short_[way];
        const std::size_t i = Index(way, octets[0], octets[1]);
        return (bits_[i / 64] >> (i % 64) & 1) != 0;
    }

private:
    std::vector<uint64_t> bits_;
    bool short_[kWays] = {};
};

}  // namespace

struct KorvexSelection {
    std::vector<Node> nodes;
    int32_t root = -1;
    korvex::FieldMask fields = 0;  // the fields the expression names: the only ones read
    korvex::FrameKind kind = korvex::FrameKind::Unknown;
    // LAPD frames and no fields named but the address's and the direction.
    bool lapdAddress = false;
    AddressTable addressTable;

    bool MatchFields(char direction, const unsigned char* octets, int32_t length) const {
        KorvexFrameFields f;
        korvex::ReadFrameFields(kind, direction, octets, length, f, fields);
        return Eval(root, f);
    }

    // The table of an address selection, from the full reading of every
    // address a frame can have.
    void FillAddressTable() {
        addressTable.Resize();
        for (std::size_t way = 0; way < AddressTable::kWays; ++way) {
            const char direction = AddressTable::kWayDirections[way];
            addressTable.SetShort(way, MatchFields(direction, nullptr, 0));
            for (unsigned first = 0; first < 256; first += 2) {
                for (unsigned second = 0; second < 256; second += 2) {
                    // The two address octets and a control field.
                    const unsigned char frame[3] = {static_cast<unsigned char>(first),
                                                    static_cast<unsigned char>(second), 0};
                    addressTable.Set(AddressTable::Index(way, frame[0], frame[1]),
                                     MatchFields(direction, frame, 3));
                }
            }
        }
    }

    bool Eval(int32_t i, const KorvexFrameFields& f) const {
        const Node& n = nodes[static_cast<std::size_t>(i)];
        switch (n.kind) {
        case Node::Or: return Eval(n.left, f) || Eval(n.right, f);
        case Node::And: return Eval(n.left, f) && Eval(n.right, f);
        case Node::Not: return !Eval(n.left, f);
        case Node::Compare:
        case Node::In: return Holds(n, f.field[n.field]);
        }
        return false;
    }
};

extern "C" int KorvexSelectionCompile(const char* expression, KorvexSelection** selection,
                                      int32_t* error_offset, char* message, size_t message_capacity) {
    if (selection != nullptr) *selection = nullptr;
    if (error_offset != nullptr) *error_offset = -1;
    if (message != nullptr && message_capacity > 0) message[0] = '\0';
    if (expression == nullptr || selection == nullptr) return EINVAL;
    try {
        Parser parser(expression);
        // Held until handed over, so that a fault found while parsing frees it.
        auto s = std::make_unique<KorvexSelection>();
        s->nodes = parser.Parse();
        s->root = parser.Root();
        for (const Node& node : s->nodes) {
            if (node.field >= 0) s->fields |= korvex::FieldBit(node.field);
        }
        *selection = s.release();
        return 0;
    } catch (const Fault& fault) {
        if (error_offset != nullptr) *error_offset = fault.offset;
        if (message != nullptr && message_capacity > 0) {
            std::snprintf(message, message_capacity, "%s", fault.message.c_str());
        }
        return EINVAL;
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    }
}

extern "C" int KorvexSelectionMatch(const KorvexSelection* selection, const KorvexFrameFields* fields) {
    if (selection == nullptr || fields == nullptr) return 0;
    return selection->Eval(selection->root, *fields) ? 1 : 0;
}

extern "C" int KorvexSelectionSetProtocol(KorvexSelection* selection, const char* protocol) {
    if (selection == nullptr || protocol == nullptr) return EINVAL;
    const korvex::FrameKind kind = korvex::FrameKindOf(protocol);
    if (kind == korvex::FrameKind::Unknown) return EINVAL;
    selection->kind = kind;
    selection->lapdAddress = false;
    if (kind == korvex::FrameKind::Lapd && (selection->fields & ~korvex::kLapdAddressAndDirection) == 0) {
        try {
            selection->FillAddressTable();
            selection->lapdAddress = true;
        } catch (const std::bad_alloc&) {
            // Without the table the fields are read and compared frame by frame.
        }
    }
    return 0;
}

extern "C" int KorvexSelectionMatchFrame(const KorvexSelection* selection, char direction,
                                         const unsigned char* octets, int32_t length) {
    if (selection == nullptr) return 0;
    if (selection->lapdAddress) return selection->addressTable.Match(direction, octets, length) ? 1 : 0;
    return selection->MatchFields(direction, octets, length) ? 1 : 0;
}

extern "C" int32_t KorvexSelectionLeadingOctets(const KorvexSelection* selection) {
    // The address shortcut reads the two address octets and the length.
    constexpr int32_t kAddressOctets = 2;
    return selection != nullptr && selection->lapdAddress ? kAddressOctets : 0;
}

extern "C" void KorvexSelectionFree(KorvexSelection* selection) { delete selection; }
