// SPDX-License-Identifier: MIT
// PinStreamTests.cpp: the live stream's state machine over the simulated capture backend, whose
// start, reconfigurations and stop the tests answer: a second start, a stop during the start,
// collapsed profile requests, the capture ending by itself (once, whatever follows), failed
// reconfigurations, shutdown order, and that no frame passes once the stream is stopped.
#include "KitScene.h"
#include "TenvikKit/Pins/PinStream.h"

#include <gtest/gtest.h>

#include <deque>

namespace tenvik {
namespace {

using platform::CaptureError;
using State = PinStream::State;

struct CountingTarget : platform::PinFrameTarget {
    void enqueue(const platform::CapturedImage& frame) override {
        ++frames;
        lastWidth = frame.width;
    }
    int frames = 0;
    int lastWidth = 0;
};

// What a start answered: nothing yet, success, or an error.
struct StartAnswer {
    bool answered = false;
    std::optional<CaptureError> error;
};

struct StreamScene : test::KitScene {
    StreamScene() {
        desktop.addDisplay("Main", {1920, 1080});
        auto app = desktop.launch("org.example.Editor", "Editor");
        window = app.openWindow("Doc", {0, 0, 800, 600}).number();
        auto content = desktop.services().liveCapture->shareableContent(true, true, nullptr);
        stream =
            PinStream::make(desktop.services().dispatch,
                            desktop.services().liveCapture->makeBackend(content->front(), target, initial), initial);
        backend = desktop.liveCapture().lastBackend();
        stream->onFailure = [this](const CaptureError& error) { failures.push_back(error); };
    }

    StartAnswer& start() {
        answers.emplace_back();
        stream->start([this, index = answers.size() - 1](std::optional<CaptureError> error) {
            answers[index] = {true, std::move(error)};
        });
        return answers.back();
    }
    // Starts and answers the backend: a running stream.
    void run() {
        start();
        desktop.drain();
        ASSERT_TRUE(backend->answerStart());
        desktop.drain();
        ASSERT_EQ(stream->state(), State::running);
    }

    const PinCaptureProfile initial{800, 600, 10};
    std::uint32_t window = 0;
    std::shared_ptr<CountingTarget> target = std::make_shared<CountingTarget>();
    std::shared_ptr<PinStream> stream;
    std::shared_ptr<platform::sim::SimPinCaptureBackend> backend;
    std::vector<CaptureError> failures;
    std::deque<StartAnswer> answers;
};

const CaptureError kWindowClosed{"org.vomira.capture", 3, "The window was closed."};

TEST(PinStream, StartsOnceAndDeliversFrames) {
    StreamScene scene;
    auto& first = scene.start();
    EXPECT_EQ(scene.stream->state(), State::starting);
    auto& second = scene.start();
    ASSERT_TRUE(second.answered) << "a second start is refused at once";
    EXPECT_TRUE(second.error && second.error->isCancelled());
    EXPECT_FALSE(first.answered);

    ASSERT_TRUE(scene.backend->answerStart());
    ASSERT_TRUE(first.answered);
    EXPECT_FALSE(first.error);
    EXPECT_EQ(scene.stream->state(), State::running);
    EXPECT_EQ(scene.backend->startCalls(), 1);
    EXPECT_TRUE(scene.backend->emitFrame());
    EXPECT_EQ(scene.target->frames, 1);
    EXPECT_EQ(scene.target->lastWidth, 800);
}

TEST(PinStream, AFailedStartStopsTheBackendBeforeItAnswers) {
    StreamScene scene;
    auto& answer = scene.start();
    scene.backend->answerStart(kWindowClosed);
    scene.desktop.drain();
    EXPECT_FALSE(answer.answered) << "waits for the backend's stop";
    ASSERT_TRUE(scene.backend->stopPending());
    scene.backend->answerStop();
    ASSERT_TRUE(answer.answered);
    EXPECT_EQ(answer.error, kWindowClosed);
    EXPECT_EQ(scene.stream->state(), State::stopped);
    EXPECT_TRUE(scene.failures.empty()) << "a failed start is its caller's to report";
}

TEST(PinStream, StopDuringStart) {
    StreamScene scene;
    auto& answer = scene.start();
    EXPECT_EQ(scene.stream->stop(), nullptr) << "the start in flight stops the backend itself";
    EXPECT_EQ(scene.stream->stop(), nullptr) << "two stops share it";
    EXPECT_FALSE(scene.backend->outputEnabled());
    EXPECT_EQ(scene.stream->state(), State::stopped);

    scene.backend->answerStart();  // the backend's own start succeeded
    EXPECT_FALSE(scene.backend->emitFrame()) << "no frame after stop() returned";
    scene.desktop.drain();
    EXPECT_FALSE(answer.answered);
    ASSERT_TRUE(scene.backend->answerStop());
    ASSERT_TRUE(answer.answered);
    EXPECT_TRUE(answer.error && answer.error->isCancelled());
    EXPECT_EQ(scene.target->frames, 0);
    EXPECT_EQ(scene.backend->stopCalls(), 1);

    // After the start has finished, stop hands out the one shutdown.
    const auto shutdown = scene.stream->stop();
    ASSERT_NE(shutdown, nullptr);
    EXPECT_TRUE(shutdown->isFinished());
}

TEST(PinStream, StoppingTwiceSharesOneShutdown) {
    StreamScene scene;
    scene.run();
    const auto first = scene.stream->stop();
    const auto second = scene.stream->stop();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_FALSE(scene.backend->emitFrame());
    scene.desktop.drain();
    ASSERT_TRUE(scene.backend->answerStop());
    EXPECT_TRUE(first->isFinished());
    scene.desktop.drain();
    EXPECT_EQ(scene.backend->stopCalls(), 1);
    EXPECT_EQ(scene.stream->generation(), 2u);
}

TEST(PinStream, ProfileRequestsCollapse) {
    StreamScene scene;
    const PinCaptureProfile p1{400, 300, 10}, p2{400, 300, 30}, p3{200, 150, 1};

    // Asked for while starting: applied once running.
    scene.start();
    scene.stream->requestProfile(p1);
    EXPECT_FALSE(scene.stream->reconfiguring());
    scene.backend->answerStart();
    scene.desktop.drain();
    EXPECT_EQ(scene.backend->requestedProfiles(), std::vector<PinCaptureProfile>{p1});

    // Three requests while that reconfiguration is in flight: only the last follows it.
    scene.stream->requestProfile(p2);
    scene.stream->requestProfile(p1);
    scene.stream->requestProfile(p3);
    scene.backend->answerProfile();
    scene.desktop.drain();
    scene.backend->answerProfile();
    scene.desktop.drain();
    EXPECT_EQ(scene.backend->requestedProfiles(), (std::vector<PinCaptureProfile>{p1, p3}));
    EXPECT_EQ(scene.stream->appliedProfile(), p3);
    EXPECT_FALSE(scene.stream->reconfiguring());

    // The applied profile again: no work at all.
    scene.stream->requestProfile(p3);
    EXPECT_FALSE(scene.stream->reconfiguring());
    // A burst in one turn becomes one reconfiguration to the last profile.
    scene.stream->requestProfile(p1);
    scene.stream->requestProfile(p2);
    scene.desktop.drain();
    EXPECT_EQ(scene.backend->requestedProfiles(), (std::vector<PinCaptureProfile>{p1, p3, p2}));
}

TEST(PinStream, TheCaptureEndingIsReportedOnce) {
    struct Case {
        const char* name;
        bool whileStarting;
        bool backendStartSucceeds;
    };
    const Case cases[] = {
        {"while running", false, true},
        {"while starting, the backend's start then succeeds", true, true},
        {"while starting, the backend's start then fails", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        StreamScene scene;
        StartAnswer* answer = nullptr;
        if (c.whileStarting)
            answer = &scene.start();
        else
            scene.run();
        scene.backend->end(kWindowClosed);
        scene.backend->end(kWindowClosed);
        scene.desktop.drain();
        ASSERT_EQ(scene.failures.size(), 1u);
        EXPECT_EQ(scene.failures.front(), kWindowClosed);
        EXPECT_EQ(scene.stream->state(), State::stopped);
        EXPECT_FALSE(scene.backend->outputEnabled());
        if (c.whileStarting) {
            const CaptureError startError{"org.vomira.capture", 9, "Could not start."};
            scene.backend->answerStart(c.backendStartSucceeds ? std::nullopt : std::optional(startError));
            scene.desktop.drain();
            EXPECT_FALSE(answer->answered);
            scene.backend->answerStop();
            ASSERT_TRUE(answer->answered);
            if (c.backendStartSucceeds)
                EXPECT_TRUE(answer->error && answer->error->isCancelled());
            else
                EXPECT_EQ(answer->error, startError);
        } else {
            scene.desktop.drain();
            EXPECT_TRUE(scene.backend->stopPending()) << "the stream stopped the backend";
        }
        EXPECT_EQ(scene.failures.size(), 1u);
    }
}

TEST(PinStream, AFailedReconfigurationStopsTheStream) {
    const CaptureError refused{"org.vomira.capture", 5, "The size was refused."};
    StreamScene scene;
    scene.run();
    scene.stream->requestProfile({400, 300, 10});
    scene.desktop.drain();
    ASSERT_TRUE(scene.backend->profilePending());
    scene.backend->answerProfile(refused);
    scene.desktop.drain();
    ASSERT_EQ(scene.failures.size(), 1u);
    EXPECT_EQ(scene.failures.front(), refused);
    EXPECT_EQ(scene.stream->state(), State::stopped);
    EXPECT_TRUE(scene.backend->stopPending());
}

TEST(PinStream, AnEndThenAFailingReconfigurationIsStillOneFailure) {
    StreamScene scene;
    scene.run();
    scene.stream->requestProfile({400, 300, 10});
    scene.desktop.drain();
    scene.backend->end(kWindowClosed);
    scene.desktop.drain();
    EXPECT_FALSE(scene.backend->stopPending()) << "the backend is not stopped under a reconfiguration";
    scene.backend->answerProfile(CaptureError{"org.vomira.capture", 5, "Gone."});
    scene.desktop.drain();
    EXPECT_TRUE(scene.backend->stopPending()) << "stopped once the reconfiguration is over";
    ASSERT_EQ(scene.failures.size(), 1u);
    EXPECT_EQ(scene.failures.front(), kWindowClosed);
}

TEST(PinStream, AReleasedStreamStillStopsItsBackendAndHearsNothing) {
    StreamScene scene;
    scene.run();
    const auto shutdown = scene.stream->stop();
    scene.stream.reset();
    scene.desktop.drain();
    ASSERT_TRUE(scene.backend->answerStop());
    EXPECT_TRUE(shutdown->isFinished());
    scene.backend->end(kWindowClosed);
    scene.desktop.drain();
    EXPECT_TRUE(scene.failures.empty());
}

}  // namespace
}  // namespace tenvik
