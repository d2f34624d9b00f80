// SPDX-License-Identifier: MIT
// RequirementRow.h: one of the desktop's requirements as a row: a green check or a red cross
// (read as "Available" or "Missing"), its name and what it enables, its state now, and how to
// get it while it is missing. Nothing to press: on this desktop nothing asks the user for
// permission, so the row says what to do instead.
#pragma once

#include "TenvikKit/Permissions/DesktopRequirements.h"

#include <QStringList>
#include <QWidget>

#include <vector>

class QLabel;

namespace tenvik {

class RequirementRow : public QWidget {
public:
    explicit RequirementRow(QWidget* parent = nullptr);

    void setContent(const DesktopRequirement& requirement);

    QLabel* icon() const { return icon_; }
    QLabel* stateLabel() const { return state_; }
    QLabel* remedyLabel() const { return remedy_; }
    // Every text the row shows, in reading order.
    QStringList texts() const;

private:
    QLabel* icon_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* enables_ = nullptr;
    QLabel* state_ = nullptr;
    QLabel* remedy_ = nullptr;
};

// The rows of `requirements` in a column, made once and refreshed in place.
class RequirementList : public QWidget {
public:
    explicit RequirementList(QWidget* parent = nullptr);
    void setRequirements(const std::vector<DesktopRequirement>& requirements);
    const std::vector<RequirementRow*>& rows() const { return rows_; }

private:
    std::vector<RequirementRow*> rows_;
};

}  // namespace tenvik
