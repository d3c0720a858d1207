// Starting the external editor on a file: the "Code Edit Program" setting is split into a
// program and its arguments as a shell would split it, and the file's path is added as one more
// argument of its own — never passed through a shell, so that blanks or shell characters in a
// file name open that file and run nothing else.
#pragma once

#include <QString>

namespace qm::app {

// Starts the editor detached. Returns an empty text when it started, else the message that says
// why not, naming the program: "System out of memory.", or the program in double quotes followed
// by " file was not found. \r\ncheck option.", " path was not found. \r\ncheck option." or
// " file is invalid. ".
QString launchEditor(const QString& editorSetting, const QString& filePath);

}  // namespace qm::app
