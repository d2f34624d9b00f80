// SPDX-License-Identifier: MIT
// PreviewPanel.cpp: a panel's Qt window made ready for a pin's preview view.
#include "TenvikKit/Views/Pins/PreviewPanel.h"

#include "TenvikKit/Views/Pins/PreviewStreamView.h"

#include <QVBoxLayout>

namespace tenvik::views {

PreviewStreamView* PreviewPanel::fill(QWidget* window, bool translucent) {
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) delete child;
    delete window->layout();
    window->setFocusPolicy(Qt::NoFocus);
    window->setContentsMargins(0, 0, 0, 0);
    window->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new PreviewStreamView(window, translucent);
    layout->addWidget(view);
    return view;
}

}  // namespace tenvik::views
