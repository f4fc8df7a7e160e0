// Where the checker's report goes, one encoding per line. Inside the checker
// every line is UTF-8: messages are converted from Windows-1252, and file
// names from the command line pass through CommandLineName. A file or a pipe
// receives the UTF-8 bytes; a console window on Windows receives each line as
// Unicode through the console's own call, as it shows nothing else right.
#pragma once

#include <memory>
#include <streambuf>
#include <string>
#include <string_view>

// A file name as the command line gave it, in UTF-8: on Windows converted
// from the ANSI code page the name arrived in; elsewhere its bytes as they are.
std::string CommandLineName(const std::string& name);

// One of the program's outputs.
class ReportSink {
public:
    virtual ~ReportSink() = default;
    // Whether a console window shows what is written.
    virtual bool IsConsole() const = 0;
    // Writes one whole line (UTF-8, its line end included) to the console window.
    virtual void WriteConsoleLine(std::string_view utf8) = 0;
    // Writes bytes to a file or a pipe.
    virtual void WriteBytes(std::string_view bytes) = 0;
};

// The standard output (or, with `error`, the standard error) of this process.
std::unique_ptr<ReportSink> StandardSink(bool error);

// A stream buffer that hands what is written to `sink`: to a console a line
// at a time, whole; to anything else the bytes as written.
class ReportBuffer : public std::streambuf {
public:
    explicit ReportBuffer(ReportSink& sink) : sink_(sink), console_(sink.IsConsole()) {}
    ~ReportBuffer() override { sync(); }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    void Take(std::string_view text);

    ReportSink& sink_;
    bool console_;
    std::string pending_;
};
