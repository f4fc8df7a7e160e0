#include "round/QuestionOrder.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "questions/Question.h"
#include "rules/RuleChecker.h"
#include "rules/TextUtils.h"

namespace {

// Every search of the round over its files uses one of these window lengths.
constexpr int kWideWindow = 32;
constexpr int kNumberWindow = 5;

// Rules as stored, trailing spaces included; a `#` takes a count.
constexpr char kQuestionTagRule[] = "TIME#(AFTER'\244Q'())        ";
constexpr char kQFileRule[] = "AFTER'qfile: \"'()  ";
constexpr char kCountRule[] = "AFTER'qantal:'(BEFOREnum())  ";
constexpr char kNumberRule[] = "BEFOREnum()  ";
constexpr char kStatRule[] = "AFTER'Stat:'(BEFOREnum())";
// Ten spaces: room for the ten digits of any int in place of the mark.
constexpr char kQuestionLineRule[] = "TIME#(AFTER'Q:'())          ";

constexpr char kQuote[] = "\"";

// A round file that names an absurd count does not make the loader reserve
// room for it: entries are stored as they are read.
constexpr int kInitialReserve = 1024;

char* CopyName(const char* name) {
    if (!name) return nullptr;
    std::size_t length = std::strlen(name);
    char* copy = new char[length + 1];
    std::memcpy(copy, name, length + 1);
    return copy;
}

// The rule template with its mark replaced by `count`.
template <std::size_t N>
void FillRule(const char (&rule)[N], int count, char (&out)[N]) {
    std::memcpy(out, rule, N);
    InsertInt(count, out, 0, '#');
}

int CountQuestions(const char* questionFile) {
    if (!questionFile) return 0;
    char rule[sizeof kQuestionTagRule];
    int n = 1;
    for (;; ++n) {
        FillRule(kQuestionTagRule, n, rule);
        if (FindPosition(rule, questionFile, kWideWindow, 0, false) < 0) break;
    }
    return n - 1;
}

// Writes `content` to `target` through a new file in the same folder that is
// renamed over the target once it is complete and flushed to disk. False, with
// the target untouched and no new file left behind, when any step fails.
bool ReplaceFile(const char* target, const std::string& content) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path targetPath(target);
    const fs::path folder = targetPath.parent_path();
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        fs::path temp = folder / (".quillfin-save-" + std::to_string(attempt) + ".tmp");
        // "x": never open a file that already exists.
        std::FILE* f = std::fopen(temp.string().c_str(), "wbx");
        if (!f) {
            if (fs::exists(temp, ec)) continue;
            return false;
        }
        bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
        ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
        ok = ::fsync(::fileno(f)) == 0 && ok;
#endif
        ok = std::fclose(f) == 0 && ok;
        if (ok) {
            fs::rename(temp, targetPath, ec);
            ok = !ec;
        }
        if (!ok) fs::remove(temp, ec);
        return ok;
    }
    return false;
}

}  // namespace

clQuestionOrder::clQuestionOrder() : order(nullptr), qfile(nullptr), sfile(nullptr), qantal(0) {}

clQuestionOrder::~clQuestionOrder() {
    delete[] order;
    delete[] qfile;
    delete[] sfile;
}

int clQuestionOrder::LoadQuestionFile(const char* name) {
    delete[] order;
    order = nullptr;
    qantal = 0;
    if (name) {
        char* copy = CopyName(name);  // before freeing: name may be qfile itself
        delete[] qfile;
        delete[] sfile;
        sfile = nullptr;
        qfile = copy;
    }
    int count = CountQuestions(qfile);
    if (count <= 0) return 0;
    order = new (std::nothrow) OrderEntry[count];
    if (!order) return 0;
    for (int i = 0; i < count; ++i) order[i] = OrderEntry{i + 1, 0};
    qantal = count;
    return 1;
}

int clQuestionOrder::ShuffelQuestions(int seed) {
    std::mt19937 generator(static_cast<std::uint32_t>(seed));
    for (int n = qantal - 1; n >= 0; --n) {
        std::uint32_t r = generator();
        MoveQ(n, static_cast<int>(r % static_cast<std::uint32_t>(qantal)));
    }
    return 1;
}

void clQuestionOrder::MoveQ(int from, int to) {
    const int c = qantal;
    if (!order || from < 0 || from >= c || to < -1 || to >= c) return;
    const OrderEntry taken = order[from];
    if (to == -1) to = c - 1;
    if (from == to) return;
    if (to == 0) {
        for (int p = from; p > 0; --p) order[p] = order[p - 1];
        order[0] = taken;
        return;
    }
    // Walk forward around the ring until the slot before `to` is filled.
    for (int p = from;;) {
        int next = p + 1 == c ? 0 : p + 1;
        order[p] = order[next];
        if (p == to - 1) break;
        p = next;
    }
    order[to] = taken;
}

int clQuestionOrder::MoveQForReask(int distance) {
    if (!order || qantal < 1) return -1;
    int p = distance < qantal - 1 ? distance : qantal - 1;
    if (p < 0) p = 0;
    for (int q = p; q >= 0; --q) {
        if (order[q].stat != 1) {
            MoveQ(0, q);
            return q;
        }
    }
    return 0;
}

int clQuestionOrder::SetQuestionStat(int position, int status) {
    if (!order || position < 0 || position >= qantal) return 0;
    order[position].stat = status;
    return 1;
}

int clQuestionOrder::ReturnQuestionNo(int position) {
    if (!order || position < 0 || position >= qantal) return -1;
    return order[position].questionNo;
}

int clQuestionOrder::ReturnQuestionStat(int position) {
    if (!order || position < 0 || position >= qantal) return -1;
    return order[position].stat;
}

char* clQuestionOrder::ReturnQFile() { return qfile; }

int clQuestionOrder::SaveRoundFile(const char* name) {
    char* copy = CopyName(name);  // before freeing: name may be sfile itself
    delete[] sfile;
    sfile = copy;
    if (!sfile) return 0;

    std::string content;
    int result = 0;
    if (qfile) {
        content.append("qfile: \"").append(qfile).append("\"\r\n");
        content.append("sfile: \"").append(sfile).append("\"\r\n");
        if (qantal != 0 && order) {
            content.append("qantal: ").append(std::to_string(qantal)).append("\r\n");
            for (int i = 0; i < qantal; ++i) {
                content.append("Q: ").append(std::to_string(order[i].questionNo));
                content.append(" Stat: ").append(std::to_string(order[i].stat)).append("\r\n");
            }
            result = 1;
        }
    }
    return ReplaceFile(sfile, content) ? result : 0;
}

int clQuestionOrder::LoadRoundFile(const char* name) {
    char* copy = CopyName(name);  // before freeing: name may be sfile itself
    delete[] order;
    delete[] qfile;
    delete[] sfile;
    order = nullptr;
    qfile = nullptr;
    qantal = 0;
    sfile = copy;
    if (!sfile) return 0;

    const int nameStart = FindPosition(kQFileRule, sfile, kWideWindow, 0, false);
    if (nameStart < 0) return 0;
    const int nameLength = CountCharTo(sfile, nameStart, kQuote, 1, kWideWindow);
    if (nameLength < 0 || nameLength > INT_MAX - 2) return 0;
    qfile = GetToStop(sfile, nameStart, kQuote, 1, nameLength + 2);

    const int countAt = FindPosition(kCountRule, sfile, kWideWindow, 0, false);
    if (countAt < 0) return 0;
    const int count = GetInt(sfile, countAt);
    if (count < 0) return 0;

    // Question lines are looked for only after the count, so that a file name
    // holding "Q:" (a path on drive Q) is never taken for one.
    std::vector<OrderEntry> entries;
    entries.reserve(static_cast<std::size_t>(count < kInitialReserve ? count : kInitialReserve));
    char rule[sizeof kQuestionLineRule];
    for (int j = 1; j <= count; ++j) {
        FillRule(kQuestionLineRule, j, rule);
        const int line = FindPosition(rule, sfile, kWideWindow, countAt, false);
        if (line < 0) return 0;
        const int numberAt = FindPosition(kNumberRule, sfile, kNumberWindow, line, false);
        if (numberAt < 0) return 0;
        const int statAt = FindPosition(kStatRule, sfile, kNumberWindow, line, false);
        if (statAt < 0) return 0;
        entries.push_back(OrderEntry{GetInt(sfile, numberAt), GetInt(sfile, statAt)});
    }
    if (count > 0) {
        order = new (std::nothrow) OrderEntry[entries.size()];
        if (!order) return 0;
        std::memcpy(order, entries.data(), entries.size() * sizeof(OrderEntry));
        qantal = count;
    }
    return CountQuestions(qfile) == qantal ? 1 : 0;
}

void clQuestionOrder::DisplayAllQInConsole() {
    if (!qfile || qantal <= 0 || !order) return;
    for (int i = 0; i < qantal; ++i) {
        clQuestion question;
        question.GetQuestion(qfile, order[i].questionNo);
        question.DisplayAllInConsole();
        std::cout << "\n";
    }
}
