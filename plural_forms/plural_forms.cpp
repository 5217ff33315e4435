// Plural-Forms read with gettext's grammar (C's precedence, no unary minus,
// no bitwise operators), by an operator-precedence parser with stacks of its
// own, so that nesting costs memory, not recursion; evaluated and written
// recursively only once its depth is known to be bounded.
#include "plural_forms/plural_forms.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr std::string_view NPLURALS_MARK = "nplurals=", PLURAL_MARK = "plural=";
constexpr std::string_view GERMANIC = "nplurals=2; plural=(n != 1);";
constexpr plural_number LAST_CHECKED = 1000;  // msgfmt --check evaluates n up to here
constexpr std::size_t MOST_DEPTH = 100;       // the depth gettext evaluates
constexpr plural_number LARGEST_DEVICE_NUMBER = 0xFFFFFFFF;  // an unsigned long everywhere

// msgfmt's words.
constexpr char INVALID_NPLURALS[] = "invalid nplurals value";
constexpr char INVALID_EXPRESSION[] = "invalid plural expression";
constexpr char DIVISION_BY_ZERO[] = "plural expression can produce division by zero";
constexpr char NEGATIVE[] = "plural expression can produce negative values";
constexpr char STACK_OVERFLOW[] = "plural expression can produce stack overflow";

enum class op : std::uint8_t {
    number, variable, negation,
    multiply, divide, remainder, add, subtract,
    less, greater, less_equal, greater_equal, equal, not_equal,
    both, either, choice,
    question, open,  // only on the operator stack
};

int precedence(op what)
{
    switch (what) {
    case op::negation:
        return 8;
    case op::multiply: case op::divide: case op::remainder:
        return 7;
    case op::add: case op::subtract:
        return 6;
    case op::less: case op::greater: case op::less_equal: case op::greater_equal:
        return 5;
    case op::equal: case op::not_equal:
        return 4;
    case op::both:
        return 3;
    case op::either:
        return 2;
    case op::choice: case op::question:
        return 1;
    default:
        return 0;
    }
}

std::size_t arity(op what)
{
    return what == op::choice ? 3 : what == op::negation ? 1 : what <= op::variable ? 0 : 2;
}

// Whether the operation gives 0 or 1, as an int in C.
bool truth(op what)
{
    return what == op::negation || (what >= op::less && what <= op::either);
}

constexpr std::uint32_t NO_NODE = UINT32_MAX;

struct node {
    op what;
    plural_number value;  // of a number
    std::uint32_t args[3];
    std::size_t depth;
};

enum class token_kind { operand, operation, question, colon, open, close, end, error };

struct token {
    token_kind kind;
    op what = op::number;
    plural_number value = 0;
};

class lexer {
public:
    explicit lexer(std::string_view text) : text_(text) {}

    // As gettext's: blanks are spaces and tabs; ';', a line feed or the
    // end ends the expression; a number wraps as an unsigned long does.
    token next()
    {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t'))
            ++at_;
        if (at_ == text_.size())
            return {token_kind::end};
        const char c = text_[at_++];
        const auto followed = [this](char by) {
            if (at_ < text_.size() && text_[at_] == by) {
                ++at_;
                return true;
            }
            return false;
        };
        switch (c) {
        case ';': case '\n': case '\0':
            return {token_kind::end};
        case 'n':
            return {token_kind::operand, op::variable};
        case '?':
            return {token_kind::question};
        case ':':
            return {token_kind::colon};
        case '(':
            return {token_kind::open};
        case ')':
            return {token_kind::close};
        case '=':
            return followed('=') ? token{token_kind::operation, op::equal} : token{token_kind::error};
        case '!':
            return followed('=') ? token{token_kind::operation, op::not_equal} : token{token_kind::operation, op::negation};
        case '&':
            return followed('&') ? token{token_kind::operation, op::both} : token{token_kind::error};
        case '|':
            return followed('|') ? token{token_kind::operation, op::either} : token{token_kind::error};
        case '<':
            return {token_kind::operation, followed('=') ? op::less_equal : op::less};
        case '>':
            return {token_kind::operation, followed('=') ? op::greater_equal : op::greater};
        case '*':
            return {token_kind::operation, op::multiply};
        case '/':
            return {token_kind::operation, op::divide};
        case '%':
            return {token_kind::operation, op::remainder};
        case '+':
            return {token_kind::operation, op::add};
        case '-':
            return {token_kind::operation, op::subtract};
        default:
            break;
        }
        if (c < '0' || c > '9')
            return {token_kind::error};
        plural_number value = static_cast<plural_number>(c - '0');
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
            value = value * 10 + static_cast<plural_number>(text_[at_++] - '0');
        return {token_kind::operand, op::number, value};
    }

private:
    std::string_view text_;
    std::size_t at_ = 0;
};

// The expression as a tree of nodes, its root last.
class parser {
public:
    // Returns false for what gettext's grammar does not take.
    bool parse(std::string_view text)
    {
        lexer tokens(text);
        bool operand_next = true;
        for (;;) {
            const token t = tokens.next();
            if (operand_next) {
                if (t.kind == token_kind::operand) {
                    add(t.what, t.value, 0);
                    operand_next = false;
                } else if (t.kind == token_kind::open || (t.kind == token_kind::operation && t.what == op::negation)) {
                    operators_.push_back(t.kind == token_kind::open ? op::open : op::negation);
                } else {
                    return false;
                }
                continue;
            }
            switch (t.kind) {
            case token_kind::operation:
                if (t.what == op::negation || !reduce_above(precedence(t.what)))  // left to right
                    return false;
                operators_.push_back(t.what);
                operand_next = true;
                break;
            case token_kind::question:
                if (!reduce_above(precedence(op::question) + 1))
                    return false;
                operators_.push_back(op::question);
                operand_next = true;
                break;
            case token_kind::colon:
                if (!reduce_above(precedence(op::question)) || operators_.empty() || operators_.back() != op::question)
                    return false;
                operators_.back() = op::choice;
                operand_next = true;
                break;
            case token_kind::close:
                if (!reduce_above(precedence(op::question)) || operators_.empty() || operators_.back() != op::open)
                    return false;
                operators_.pop_back();
                break;
            case token_kind::end:
                return reduce_above(precedence(op::question)) && operators_.empty() && operands_.size() == 1;
            default:
                return false;
            }
        }
    }

    const std::vector<node> &nodes() const { return nodes_; }

private:
    // Applies the operations on the stack of precedence at least `least`,
    // the binary ones left to right; stops at '(' and at an open '?'.
    bool reduce_above(int least)
    {
        while (!operators_.empty() && operators_.back() != op::open && operators_.back() != op::question &&
               precedence(operators_.back()) >= least) {
            const op what = operators_.back();
            operators_.pop_back();
            if (operands_.size() < arity(what))
                return false;
            add(what, 0, arity(what));
        }
        return true;
    }

    void add(op what, plural_number value, std::size_t args)
    {
        node made{what, value, {NO_NODE, NO_NODE, NO_NODE}, 1};
        for (std::size_t i = args; i-- > 0;) {
            made.args[i] = operands_.back();
            operands_.pop_back();
            made.depth = std::max(made.depth, nodes_[made.args[i]].depth + 1);
        }
        operands_.push_back(static_cast<std::uint32_t>(nodes_.size()));
        nodes_.push_back(made);
    }

    std::vector<node> nodes_;
    std::vector<std::uint32_t> operands_;
    std::vector<op> operators_;
};

// gettext's evaluation, in this host's unsigned long; false on a division
// by zero.
bool evaluate(const std::vector<node> &nodes, std::uint32_t at, plural_number n, plural_number &value)
{
    const node &e = nodes[at];
    plural_number a = 0, b = 0;
    if (e.what == op::number || e.what == op::variable) {
        value = e.what == op::number ? e.value : n;
        return true;
    }
    if (!evaluate(nodes, e.args[0], n, a))
        return false;
    if (e.what == op::negation) {
        value = !a;
        return true;
    }
    if (e.what == op::choice)
        return evaluate(nodes, e.args[a != 0 ? 1 : 2], n, value);
    if ((e.what == op::both && a == 0) || (e.what == op::either && a != 0)) {
        value = e.what == op::either;
        return true;
    }
    if (!evaluate(nodes, e.args[1], n, b))
        return false;
    switch (e.what) {
    case op::multiply: value = a * b; break;
    case op::divide: case op::remainder:
        if (b == 0)
            return false;
        value = e.what == op::divide ? a / b : a % b;
        break;
    case op::add: value = a + b; break;
    case op::subtract: value = a - b; break;
    case op::less: value = a < b; break;
    case op::greater: value = a > b; break;
    case op::less_equal: value = a <= b; break;
    case op::greater_equal: value = a >= b; break;
    case op::equal: value = a == b; break;
    case op::not_equal: value = a != b; break;
    default: value = b != 0; break;  // both, either
    }
    return true;
}

// msgfmt --check's verdict on the values for n from 0 to LAST_CHECKED.
std::string check_values(const std::vector<node> &nodes, plural_number forms)
{
    constexpr plural_number SIGN_BIT = ~(ULONG_MAX >> 1);
    const auto root = static_cast<std::uint32_t>(nodes.size() - 1);
    for (plural_number n = 0; n <= LAST_CHECKED; ++n) {
        plural_number value = 0;
        if (!evaluate(nodes, root, n, value))
            return DIVISION_BY_ZERO;
        if ((value & SIGN_BIT) != 0)
            return NEGATIVE;
        if (value >= forms)
            return "nplurals = " + std::to_string(forms) + " but plural expression can produce values as large as " +
                   std::to_string(value);
    }
    return "";
}

std::string number_text(plural_number value)
{
    if (value <= LARGEST_DEVICE_NUMBER)
        return std::to_string(value) + "ul";
    return "((unsigned long)" + std::to_string(value) + "ull)";
}

class c_writer {
public:
    explicit c_writer(const std::vector<node> &nodes) : nodes_(nodes), variable_(nodes.size())
    {
        for (std::size_t at = 0; at < nodes.size(); ++at)  // each node's arguments stand before it
            variable_[at] = nodes[at].what == op::variable ||
                            std::any_of(std::begin(nodes[at].args), std::end(nodes[at].args),
                                        [this](std::uint32_t arg) { return arg != NO_NODE && variable_[arg]; });
    }
    std::size_t divisions() const { return divisions_; }

    std::string expression(std::uint32_t at)
    {
        const node &e = nodes_[at];
        switch (e.what) {
        case op::number:
            return number_text(e.value);
        case op::variable:
            return "n";
        case op::negation:
            return "(!" + expression(e.args[0]) + ")";
        case op::both: case op::either:
            return "(" + expression(e.args[0]) + (e.what == op::both ? " && " : " || ") + expression(e.args[1]) + ")";
        case op::choice:
            return "(" + expression(e.args[0]) + " ? " + number(e.args[1]) + " : " + number(e.args[2]) + ")";
        case op::divide: case op::remainder:
            if (const node &divisor = nodes_[e.args[1]]; divisor.what != op::number || divisor.value == 0)
                return guarded_division(e);
            break;
        case op::less: case op::greater: case op::less_equal: case op::greater_equal:
            if (const auto settled = against_zero(e))
                return *settled;
            break;
        default:
            break;
        }
        return "(" + number(e.args[0]) + " " + symbol(e.what) + " " + number(e.args[1]) + ")";
    }

    // The expression as an unsigned long: a truth value is an int in C.
    std::string number(std::uint32_t at)
    {
        return truth(nodes_[at].what) ? "((unsigned long)" + expression(at) + ")" : expression(at);
    }

private:
    static const char *symbol(op what)
    {
        switch (what) {
        case op::multiply: return "*";
        case op::divide: return "/";
        case op::remainder: return "%";
        case op::add: return "+";
        case op::subtract: return "-";
        case op::less: return "<";
        case op::greater: return ">";
        case op::less_equal: return "<=";
        case op::greater_equal: return ">=";
        case op::equal: return "==";
        default: return "!=";
        }
    }

    // Whether the expression at is a constant 0.
    bool zero(std::uint32_t at) const
    {
        plural_number value = 0;
        return !variable_[at] && evaluate(nodes_, at, 0, value) && value == 0;
    }

    // An unsigned number compared with 0 where the comparison is always
    // true or always false, which compilers warn of (-Wtype-limits): its
    // value, the number still computed where a division in it may set
    // `zero`.
    std::optional<std::string> against_zero(const node &e)
    {
        const bool right_zero = zero(e.args[1]), left_zero = !right_zero && zero(e.args[0]);
        bool always = false;
        if (right_zero && (e.what == op::greater_equal || e.what == op::less))
            always = e.what == op::greater_equal;
        else if (left_zero && (e.what == op::less_equal || e.what == op::greater))
            always = e.what == op::less_equal;
        else
            return std::nullopt;
        const std::size_t divisions_before = divisions_;
        const std::string number_compared = number(e.args[right_zero ? 0 : 1]);
        const std::string value = always ? "1" : "0";
        return divisions_ == divisions_before ? value : "((void)" + number_compared + ", " + value + ")";
    }

    // Its divisor once, in dK: 0 divides nothing and stays there for the
    // function to see. Each division its own dK, so that no two operands of
    // one operation write the same variable.
    std::string guarded_division(const node &e)
    {
        const std::string d = "d" + std::to_string(++divisions_);
        return "((" + d + " = " + number(e.args[1]) + ") != 0ul ? " + number(e.args[0]) + " " + symbol(e.what) +
               " " + d + " : 0ul)";
    }

    const std::vector<node> &nodes_;
    std::vector<bool> variable_;  // by node: whether its value depends on n
    std::size_t divisions_ = 0;
};

}  // namespace

plural_reading read_plural_forms(std::string_view value)
{
    plural_reading reading;
    const std::size_t nplurals = value.find(NPLURALS_MARK), plural = value.find(PLURAL_MARK);
    if (nplurals == std::string_view::npos || plural == std::string_view::npos)
        return reading;
    // As strtoul after C's blanks: digits, their value at most ULONG_MAX.
    std::size_t at = nplurals + NPLURALS_MARK.size();
    while (at < value.size() && (value[at] == ' ' || (value[at] >= '\t' && value[at] <= '\r')))
        ++at;
    const std::size_t digits = at;
    plural_number forms = 0;
    for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at) {
        const auto digit = static_cast<plural_number>(value[at] - '0');
        forms = forms > (ULONG_MAX - digit) / 10 ? ULONG_MAX : forms * 10 + digit;
    }
    if (at == digits) {
        reading.error = INVALID_NPLURALS;
        return reading;
    }
    parser parsed;
    if (!parsed.parse(value.substr(plural + PLURAL_MARK.size()))) {
        reading.error = INVALID_EXPRESSION;
        return reading;
    }
    const std::vector<node> &nodes = parsed.nodes();
    if (nodes.back().depth > MOST_DEPTH) {
        reading.error = STACK_OVERFLOW;
        return reading;
    }
    if (std::string error = check_values(nodes, forms); !error.empty()) {
        reading.error = std::move(error);
        return reading;
    }
    c_writer writer(nodes);
    reading.rule = plural_rule{forms, writer.number(static_cast<std::uint32_t>(nodes.size() - 1)), 0};
    reading.rule->divisions = writer.divisions();
    return reading;
}

std::vector<std::optional<plural_number>> plural_examples(std::string_view value)
{
    const plural_reading reading = read_plural_forms(value);
    if (!reading.error.empty())
        return {};
    const std::string_view rule = reading.rule ? value : GERMANIC;
    parser parsed;
    parsed.parse(rule.substr(rule.find(PLURAL_MARK) + PLURAL_MARK.size()));
    const plural_number forms = reading.rule ? reading.rule->forms : germanic_plural().forms;
    std::vector<std::optional<plural_number>> examples(std::min<plural_number>(forms, LAST_CHECKED + 1));
    const auto root = static_cast<std::uint32_t>(parsed.nodes().size() - 1);
    for (plural_number i = 1; i <= LAST_CHECKED + 1; ++i) {
        const plural_number n = i % (LAST_CHECKED + 1);  // 1 to 1000, then 0
        plural_number form = 0;
        if (evaluate(parsed.nodes(), root, n, form) && form < examples.size() && !examples[form])
            examples[form] = n;
    }
    return examples;
}

plural_rule germanic_plural()
{
    return *read_plural_forms(GERMANIC).rule;
}

std::string plural_function(const plural_rule &rule, const std::string &name)
{
    std::string text = "static unsigned long " + name + "(unsigned long n)\n{\n";
    // A division not made leaves its 1; one by zero leaves its 0.
    std::string declared, divided;
    for (std::size_t d = 1; d <= rule.divisions; ++d) {
        declared += (d == 1 ? "d" : ", d") + std::to_string(d) + " = 1ul";
        divided += " && d" + std::to_string(d) + " != 0ul";
    }
    if (rule.divisions != 0)
        text += "    unsigned long " + declared + ";\n";
    text += "    unsigned long form;\n    (void)n;\n    form = " + rule.expression + ";\n";
    text += "    return form < " + number_text(rule.forms) + divided + " ? form : 0ul;\n}\n";
    return text;
}
