// SPDX-License-Identifier: MIT
// OnboardingView.h: the welcome guide's content: a header with the program's icon, the kit's
// name and a summary; two step cards (what this desktop offers: window manager, compositing
// manager and touchpad access with their states; trying a gesture or the pin shortcut, with a
// dot that lights for 1.5 s after each kit shortcut or gesture);
// and "Done", which marks onboarding completed and then calls onDone. It redraws from the
// kit's shared objects whenever they change.
#pragma once

#include "TenvikKit/Support/TimedFlag.h"
#include "TenvikKit/Views/KitWindowContext.h"
#include "TenvikKit/Views/RequirementRow.h"

#include <QScrollArea>

#include <functional>

class QLabel;
class QPushButton;

namespace tenvik {

class OnboardingView : public QScrollArea {
public:
    static constexpr int kWidth = 520;
    static constexpr int kHeight = 560;
    static constexpr platform::Seconds kPulseDuration = 1.5;

    OnboardingView(const KitWindowContext& context, std::function<void()> onDone, QWidget* parent = nullptr);

    void refresh();
    bool activityHighlighted() const { return pulse_.isRaised(); }
    std::uint64_t activityPulseCount() const { return pulse_.generation(); }
    // The try-it lines of step 3 as shown, "Input detected" first while lit.
    QStringList stepThreeLines() const;
    QPushButton* doneButton() const { return done_; }
    // The desktop's rows that can be missing (window manager, compositing, touchpad access).
    RequirementList* requirements() const { return requirements_; }

private:
    QWidget* card(const QString& step, QWidget* content);
    void done();

    KitWindowContext context_;
    std::function<void()> onDone_;
    TimedFlag pulse_;
    RequirementList* requirements_ = nullptr;
    QWidget* dot_ = nullptr;
    QLabel* detected_ = nullptr;
    QLabel* firstLine_ = nullptr;
    QLabel* secondLine_ = nullptr;
    QPushButton* done_ = nullptr;
    ChangeLink links_[8];
};

}  // namespace tenvik
