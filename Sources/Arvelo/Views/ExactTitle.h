// ExactTitle.h: keeps a top-level window's title on X11 exactly as set. Qt appends the
// program's display name ("… — Vomira") to _NET_WM_NAME; the dashboard's and the overview's
// titles are meant to read as they are. Elsewhere (offscreen) it does nothing.
#pragma once

class QWidget;

namespace arvelo::views {

void keepExactTitle(QWidget& window);

}  // namespace arvelo::views
