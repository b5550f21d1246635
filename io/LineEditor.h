// Lines typed at a terminal, read through libedit: each line can be edited before it is handed
// on, and the earlier lines of the session are recalled with Up and Down.
#pragma once

#include "io/Buffers.h"

#include <cstdio>
#include <string>

struct editline;
struct historyW;

namespace io {

// An input buffer over standard input that reads it a line at a time through libedit once
// started, with the open line the output holds back (Flushing::openLineHeld) as the prompt.
// The history lives in memory only; no file or setting is read or written. The end of the
// input (the terminal's end-of-file key on an empty line) is the end of file.
class LineEditorInput : public InputBuffer {
public:
    // utf8 when the terminal shows UTF-8; else every byte typed is a character of its own, which
    // edits ASCII as usual and hands every other byte on unchanged.
    LineEditorInput(OutputBuffer& output, bool utf8);
    ~LineEditorInput() override;
    LineEditorInput(const LineEditorInput&) = delete;
    LineEditorInput& operator=(const LineEditorInput&) = delete;

    // For standard input and output that are both terminals: returns true when the editor now
    // reads the input, for this build has one and the input terminal is in the mode a person
    // types in (lines edited by the terminal, typed keys echoed); the output then holds its open
    // line back. Otherwise returns false, and nothing of libedit has been called (or, when it
    // could not start, it is ended again and the input is read as without it).
    bool start();

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

    OutputBuffer& output;
    bool utf8;
    editline* editor = nullptr;
    historyW* history = nullptr;
    std::FILE* messages = nullptr;
    // The terminal's line shows text the editor did not draw (a line handed on without its end).
    bool lineOpen = false;
    End end = End::none;
    int readFailure = 0;
    std::wstring prompt;
    // Bytes of a UTF-8 character read but not yet handed to the editor.
    std::string pending;
    std::string line;
};

} // namespace io
