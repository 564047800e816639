// Judges a udev rules file as udev would for the board's channel nodes,
// without a device or a running udev: a node's name is all a container can
// offer, so the file's rules are parsed as udev parses them and their KERNEL
// patterns tried with fnmatch(3), flags 0, alternatives split at '|', as
// udev's own matching does. Every channel node /dev/mil1553dev-N-ch-M, N and
// M 0 to 99, must end up in group mil1553, mode 0660, tagged uaccess; and no
// other node name may be touched by the file at all.
// Usage: udev_rule_check RULES_FILE
#include <fnmatch.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Token {
    std::string key; // with its {attribute}, if any
    std::string op;
    std::string value;
};

struct Rule {
    int line;
    std::vector<Token> tokens;
};

struct Outcome {
    bool touched = false;
    std::string group, owner, mode;
    bool groupFinal = false, ownerFinal = false, modeFinal = false;
    std::set<std::string> tags;
};

[[noreturn]] void fail(const std::string &why)
{
    std::cout << "FAIL: " << why << '\n';
    std::exit(1);
}

bool isKeyChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// udev's own syntax: pairs KEY[{attr}] OP "value", separated by commas or
// blanks; only \" is an escape inside a plain value. Anything else it might
// read differently (e"..." strings, a bare value) stops the check rather
// than be guessed at.
std::vector<Token> parseLine(const std::string &text, int line)
{
    std::vector<Token> tokens;
    size_t i = 0;
    auto where = [&] { return "line " + std::to_string(line) + ", column " + std::to_string(i + 1); };
    for (;;) {
        while (i < text.size() && (text[i] == ',' || std::isspace(static_cast<unsigned char>(text[i]))))
            ++i;
        if (i == text.size())
            return tokens;
        Token token;
        while (i < text.size() && isKeyChar(text[i]))
            token.key += text[i++];
        if (token.key.empty())
            fail("no key at " + where());
        if (i < text.size() && text[i] == '{') {
            const size_t close = text.find('}', i);
            if (close == std::string::npos)
                fail("unclosed { at " + where());
            token.key += text.substr(i, close + 1 - i);
            i = close + 1;
        }
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        for (const char *op : {"==", "!=", "+=", "-=", ":=", "="}) {
            if (text.compare(i, std::strlen(op), op) == 0) {
                token.op = op;
                i += token.op.size();
                break;
            }
        }
        if (token.op.empty())
            fail("no operator after " + token.key + " at " + where());
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
        if (i == text.size() || text[i] != '"')
            fail("value of " + token.key + " is not a plain quoted string at " + where());
        for (++i;; ++i) {
            if (i == text.size())
                fail("unclosed value of " + token.key + " on line " + std::to_string(line));
            if (text[i] == '"')
                break;
            if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"')
                ++i;
            token.value += text[i];
        }
        ++i;
        tokens.push_back(token);
    }
}

std::vector<Rule> parseFile(const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        fail("cannot read " + path);
    std::vector<Rule> rules;
    std::string physical, logical;
    int number = 0, first = 0;
    while (std::getline(in, physical)) {
        ++number;
        if (logical.empty())
            first = number;
        // A trailing backslash joins the next line, as udev reads it.
        if (!physical.empty() && physical.back() == '\\') {
            physical.pop_back();
            logical += physical;
            continue;
        }
        logical += physical;
        const size_t start = logical.find_first_not_of(" \t");
        if (start != std::string::npos && logical[start] != '#')
            rules.push_back(Rule{first, parseLine(logical.substr(start), first)});
        logical.clear();
    }
    if (!logical.empty())
        fail("the last line ends in a backslash");
    return rules;
}

std::vector<std::string> alternatives(const std::string &value)
{
    std::vector<std::string> patterns;
    std::stringstream stream(value + "|");
    std::string pattern;
    while (std::getline(stream, pattern, '|'))
        patterns.push_back(pattern);
    return patterns;
}

// A value without *, ? or [ udev compares as a plain string, not a pattern.
bool matches(const std::string &value, const std::string &name)
{
    const bool glob = value.find_first_of("*?[") != std::string::npos;
    for (const std::string &pattern : alternatives(value)) {
        if (glob ? fnmatch(pattern.c_str(), name.c_str(), 0) == 0 : pattern == name)
            return true;
    }
    return false;
}

void assign(std::string &field, bool &final, const Token &token)
{
    if (final)
        return;
    if (token.op != "=" && token.op != ":=")
        fail(token.key + token.op + " is not an assignment udev takes");
    field = token.value;
    final = token.op == ":=";
}

Outcome apply(const std::vector<Rule> &rules, const std::string &name)
{
    Outcome outcome;
    for (const Rule &rule : rules) {
        bool holds = true;
        for (const Token &token : rule.tokens) {
            if (token.op != "==" && token.op != "!=")
                continue;
            if (token.key != "KERNEL")
                fail("the rule on line " + std::to_string(rule.line) + " also matches on " + token.key +
                     ", which a node's name cannot decide; this check knows KERNEL only");
            if (matches(token.value, name) != (token.op == "=="))
                holds = false;
        }
        if (!holds)
            continue;
        outcome.touched = true;
        for (const Token &token : rule.tokens) {
            if (token.key == "GROUP")
                assign(outcome.group, outcome.groupFinal, token);
            else if (token.key == "OWNER")
                assign(outcome.owner, outcome.ownerFinal, token);
            else if (token.key == "MODE")
                assign(outcome.mode, outcome.modeFinal, token);
            else if (token.key == "TAG") {
                if (token.op == "=" || token.op == ":=")
                    outcome.tags = {token.value};
                else if (token.op == "+=")
                    outcome.tags.insert(token.value);
                else if (token.op == "-=")
                    outcome.tags.erase(token.value);
            } else if (token.key == "GOTO" || token.key == "LABEL") {
                fail("the rule on line " + std::to_string(rule.line) + " jumps, which this check does not follow");
            }
        }
    }
    return outcome;
}

// What udev makes of MODE: an octal number, written with or without a 0.
long octal(const std::string &mode)
{
    if (mode.empty() || mode.find_first_not_of("01234567") != std::string::npos)
        return -1;
    return std::strtol(mode.c_str(), nullptr, 8);
}

std::string describe(const Outcome &outcome)
{
    std::string tags;
    for (const std::string &tag : outcome.tags)
        tags += (tags.empty() ? "" : ",") + tag;
    return "GROUP=\"" + outcome.group + "\" MODE=\"" + outcome.mode + "\" OWNER=\"" + outcome.owner + "\" TAG=\"" +
           tags + "\"";
}

std::string number(int n)
{
    return std::to_string(n);
}

std::string node(const std::string &board, const std::string &channel)
{
    return "mil1553dev-" + board + "-ch-" + channel;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "Usage: udev_rule_check RULES_FILE\n";
        return 2;
    }
    const std::string path = argv[1];

    // udev reads *.rules only, in the order of their names, and grants the
    // seat's user access in 73-seat-late.rules to nodes tagged by then.
    const std::string file = path.substr(path.find_last_of('/') + 1);
    int status = 0;
    if (file.size() < 6 || file.compare(file.size() - 6, 6, ".rules") != 0) {
        std::cout << "FAIL: udev ignores " << file << ": its name does not end in .rules\n";
        status = 1;
    }
    if (file >= "73-seat-late.rules") {
        std::cout << "FAIL: " << file << " comes after 73-seat-late.rules, too late for TAG+=\"uaccess\"\n";
        status = 1;
    }
    const std::vector<Rule> rules = parseFile(path);

    std::vector<std::string> channels;
    for (int board = 0; board <= 99; ++board) {
        for (int channel = 0; channel <= 99; ++channel)
            channels.push_back(node(number(board), number(channel)));
    }

    // Numbers past 99, names the driver does not make, and names that only
    // look like a channel's: what a too wide glob or an empty '|' alternative
    // would take in.
    std::vector<std::string> others;
    for (int n = 100; n <= 199; ++n) {
        others.push_back(node(number(n), "0"));
        others.push_back(node("0", number(n)));
        others.push_back(node(number(n), number(n)));
    }
    for (const char *big : {"000", "999", "1000", "12345"}) {
        others.push_back(node(big, "1"));
        others.push_back(node("1", big));
    }
    for (const char *name : {"", "mil1553dev", "mil1553dev-", "mil1553dev-1", "mil1553dev-1-ch", "mil1553dev-1-ch-",
                             "mil1553dev--ch-1", "mil1553dev--ch-", "mil1553dev-1--ch-1", "mil1553dev--1-ch-1",
                             "mil1553dev-1-ch--1", "mil1553dev-+1-ch-1", "mil1553dev-1-ch-+1", "mil1553dev-1-ch-1x",
                             "mil1553dev-1x-ch-1", "mil1553dev-x1-ch-1", "mil1553dev-1-ch-x1", "mil1553dev-a-ch-1",
                             "mil1553dev-1-ch-a", "mil1553dev-1-ch-1-ch-1", "mil1553dev-1-ch-1.old",
                             "mil1553dev-1-ch-1/", "mil1553dev-1/ch-1", "xmil1553dev-1-ch-1", "mil1553dev-1-ch-1 ",
                             " mil1553dev-1-ch-1", "mil1553dev1-ch-1", "mil1553dev-1-ch1", "mil1553dev-1ch-1",
                             "mil1553-1-ch-1", "mil1553dev-1-CH-1", "MIL1553DEV-1-ch-1", "mil1553dev-*-ch-*",
                             "mil1553dev-?-ch-?", "mil1553dev-[0-9]-ch-[0-9]", "mil1553dev-1-ch-1\n", "ttyS0", "sda",
                             "null"}) {
        others.push_back(name);
    }

    // At most a few names of each kind are shown: a wrong glob fails for
    // thousands.
    const size_t shown = 8;
    size_t wrongChannels = 0, touchedOthers = 0;
    for (const std::string &name : channels) {
        const Outcome outcome = apply(rules, name);
        const bool right = outcome.touched && outcome.group == "mil1553" && octal(outcome.mode) == 0660 &&
                           outcome.owner.empty() && outcome.tags.count("uaccess") == 1;
        if (!right && wrongChannels++ < shown) {
            std::cout << "FAIL: /dev/" << name << ": "
                      << (outcome.touched ? describe(outcome) : std::string("no rule matches")) << '\n';
        }
    }
    for (const std::string &name : others) {
        const Outcome outcome = apply(rules, name);
        if (outcome.touched && touchedOthers++ < shown)
            std::cout << "FAIL: a rule matches \"" << name << "\", no channel node: " << describe(outcome) << '\n';
    }
    std::cout << channels.size() - wrongChannels << " of " << channels.size()
              << " channel nodes get GROUP=\"mil1553\" MODE=\"0660\" TAG+=\"uaccess\"; " << touchedOthers << " of "
              << others.size() << " other names are matched\n";
    return status || wrongChannels || touchedOthers ? 1 : 0;
}
