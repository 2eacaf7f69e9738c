#pragma once
#include <QStringList>
#include <optional>

// The commands that move and check formats without the designer: export, import,
// copy and check. `arguments` is the whole command line, program name first. Answers
// the exit status when its first word after the options is one of them, nothing
// otherwise (the host then goes on with its own commands).
//
// Exit status: 0 done; 1 a format was refused, a report failed or check found
// problems; 2 the command line or a database could not be used.
std::optional<int> RunFormatCommand(const QStringList& arguments);
