#pragma once
// Drag and drop of files between the editor and other programs. On X11 both halves speak XDND
// (version 5) with one data type, text/uri-list: the frame's window takes files dropped on it
// (CFrame::setDropHandler) and a control can drag a file out of it (CFrame::startFileDrag).
// The URI list's text, both ways, is plain text work kept here apart from any window system.
// Editor thread only.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "plugin/editor/toolkit/Geometry.h"

namespace rimba::toolkit {

// What the frame asks of its owner while files are dragged over its window. `accepts` answers
// each position the pointer reaches (frame coordinates), so that the drag shows there and then
// whether a drop would be taken; without it every place takes a drop. `drop` gets the local
// paths of the files dropped where the last position was accepted. Without `drop` the window
// does not take part in drag and drop at all.
struct DropHandler {
    std::function<bool(CPoint where)> accepts;
    std::function<void(CPoint where, const std::vector<std::string>& paths)> drop;
};

// The text/uri-list of one local file: "file://" and the percent-encoded absolute path, then
// CR LF. A relative path is taken from the current folder.
std::string fileUriList(const std::string& path);

// The local paths of a text/uri-list: lines end with CR LF (a lone LF is taken too); lines that
// begin with '#' are comments. Only file URIs of this machine count (no host, or "localhost");
// percent escapes are decoded to bytes. A URI of another scheme or host, a malformed escape or
// one that decodes to a NUL byte is skipped.
std::vector<std::string> pathsOfUriList(std::string_view text);

}  // namespace rimba::toolkit
