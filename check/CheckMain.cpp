// quillfin-check: the teacher's checker as a console program.
#include <ostream>

#include "check/Output.h"
#include "check/Report.h"

int main(int argc, char** argv) {
    const auto outSink = StandardSink(false);
    const auto errSink = StandardSink(true);
    ReportBuffer outBuffer(*outSink);
    ReportBuffer errBuffer(*errSink);
    std::ostream out(&outBuffer);
    std::ostream err(&errBuffer);
    const int code = RunChecker(argc, argv, out, err);
    out.flush();
    err.flush();
    return code;
}
