// Lines typed at a terminal, read through libedit: each line can be edited before it is handed
// on, and the earlier lines of the session are recalled with Up and Down.
#pragma once

#include "io/OpenLine.h"

#include <cstdio>
#include <streambuf>
#include <string>

struct editline;
struct historyW;

namespace io {

// A stream buffer over standard input that reads it a line at a time through libedit once
// started, with the open line of prompts (an OpenLine over standard output) as the prompt. The
// history lives in memory only; no file or setting is read or written. A failed read throws
// std::system_error with the system's error number, which an istream turns into badbit; the end
// of the input (the terminal's end-of-file key on an empty line) is the end of file.
class LineEditor : public std::streambuf {
public:
    // utf8 when the terminal shows UTF-8; else every byte typed is a character of its own, which
    // edits ASCII as usual and hands every other byte on unchanged.
    LineEditor(OpenLine& prompts, bool utf8);
    ~LineEditor() override;
    LineEditor(const LineEditor&) = delete;
    LineEditor& operator=(const LineEditor&) = delete;

    // Returns true when the editor now reads standard input: this build has one, standard input
    // and output are terminals and the input terminal is in the mode a person types in (lines
    // edited by the terminal, typed keys echoed). Otherwise returns false and nothing of libedit
    // has been called; nor has it when it cannot start.
    bool start();

    // Returns the error number of the failed read, or 0 while every read has succeeded.
    int error() const { return failure; }

protected:
    int_type underflow() override;

private:
    // Reads one line as the terminal itself gives it, without the editor.
    int_type readPlain();
    // Reads one line through the editor with prompt before it.
    int_type readEdited(const std::string& prompt);

    friend struct EditorCallbacks;

    // How the last read through the editor ended: not at all (it could not set the terminal up),
    // by the end-of-file key, by the end of the input, or by a failed read.
    enum class End { none, typed, input, failed };

    OpenLine& prompts;
    bool utf8;
    editline* editor = nullptr;
    historyW* history = nullptr;
    std::FILE* messages = nullptr;
    int failure = 0;
    End end = End::none;
    std::wstring prompt;
    // Bytes of a UTF-8 character read but not yet handed to the editor.
    std::string pending;
    std::string line;
};

} // namespace io
