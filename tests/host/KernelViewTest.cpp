#include <attrs/Server.h>
#include <sxk/HostileViewer.h>
#include <sxk/Instance.h>
#include <sxk/Kernel.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxk/Preferences.h>
#include <sxk/View.h>
#include <sxmu/Model.h>

#include <HostFixture.h>

#include <new>
#include <vector>

namespace {

using Host = testsupport::HostFixture;

TEST_F(Host, ContainerListsHeadFirstKeepsDuplicatesAndRemovesFirstOccurrence) {
    du::SmartPtr<sxmu::ModelContainer> root(new sxmu::ModelContainer);
    du::SmartPtr<sxmu::ModelBase> a(new sxmu::ModelBase), b(new sxmu::ModelBase);
    root->AddHead(a);
    root->AddHead(b);
    root->AddHead(a);
    using Children = std::vector<du::SmartPtr<sxmu::ModelBase>>;
    EXPECT_EQ(root->GetChildren(), (Children{a, b, a}));

    EXPECT_TRUE(root->Remove(a));
    EXPECT_EQ(root->GetChildren(), (Children{b, a}));
    EXPECT_TRUE(root->Contains(a.get()));
    EXPECT_TRUE(root->Remove(a));
    const long absentBefore = sxmu::ModelContainer::AbsentRemovals();
    EXPECT_FALSE(root->Remove(a));
    EXPECT_EQ(sxmu::ModelContainer::AbsentRemovals(), absentBefore + 1);
    EXPECT_FALSE(root->Contains(a.get()));
    EXPECT_EQ(a->GetReferenceCount(), 1);
    misuseAtStart.absentRemovals += 1;  // the one counted above was deliberate
}

TEST_F(Host, OperationHistoryKeepsRecordedOperationsOldestFirst) {
    du::SmartPtr<sxk::Scene> scene(new sxk::Scene);
    du::SmartPtr<sxk::Operation> first(new sxk::Operation("Move Jog", scene, true));
    sxk::RecordOperation(first);
    sxk::RecordOperation(new sxk::Operation("Move Markups", scene, true));
    first->Rename("Move Extension");
    first.reset();

    const auto& history = sxk::RecordedOperations();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0]->GetName(), "Move Extension");
    EXPECT_EQ(history[1]->GetName(), "Move Markups");
    EXPECT_EQ(history[1]->GetScene(), scene.get());
    EXPECT_TRUE(history[1]->IsUndoable());
}

struct ColourCase {
    const char* name;
    void (*fill)(sxk::Preferences&);
    bool found;
    dg::Color expected;
};

const dg::Color kUntouched(0.25f, 0.5f, 0.75f, 0.5f);
const char* const kKey = "General/Navigation/preselection_color";

class PreferenceColour : public testsupport::HostFixture,
                         public ::testing::WithParamInterface<ColourCase> {};

TEST_P(PreferenceColour, ReadsColourOrLeavesItUntouched) {
    du::SmartPtr<sxk::Preferences> prefs(new sxk::Preferences);
    GetParam().fill(*prefs);
    dg::Color colour = kUntouched;
    EXPECT_EQ(prefs->GetIntUIAsColor(kKey, colour, nullptr), GetParam().found);
    EXPECT_EQ(colour, GetParam().expected);
    EXPECT_EQ(prefs->readCount, 1);
}

INSTANTIATE_TEST_SUITE_P(
    ValueKinds, PreferenceColour,
    ::testing::Values(
        ColourCase{"ColourValue",
                   [](sxk::Preferences& p) {
                       p.SetColor(kKey, {0.1f, 0.2f, 0.3f, 0.4f});
                   },
                   true,
                   {0.1f, 0.2f, 0.3f, 0.4f}},
        ColourCase{"IntegerRrggbb",
                   [](sxk::Preferences& p) { p.SetInt(kKey, 0xFF8000); },
                   true,
                   {1.0f, 128.0f / 255.0f, 0.0f, 1.0f}},
        ColourCase{"Text", [](sxk::Preferences& p) { p.SetText(kKey, "red"); }, false, kUntouched},
        ColourCase{"Missing", [](sxk::Preferences& p) { p.SetInt("other", 1); }, false, kUntouched},
        ColourCase{"Removed",
                   [](sxk::Preferences& p) {
                       p.SetInt(kKey, 0x123456);
                       p.Remove(kKey);
                   },
                   false, kUntouched}),
    [](const ::testing::TestParamInfo<ColourCase>& p) { return p.param.name; });

// What a pick event saw, kept outside it because completion may release it.
struct PickReport {
    bool deleted = false;
    std::size_t results = 0;
    int status = -1;
    int completions = 0;
};

class ProbePick : public sxk::PickEvent {
public:
    explicit ProbePick(PickReport& r) : report(r) {}
    ~ProbePick() override { report.deleted = true; }
    void OnPickComplete(int pickStatus) override {
        report.results = results.size();
        report.status = pickStatus;
        ++report.completions;
    }
    PickReport& report;
};

TEST_F(Host, PickEventLivesUntilCompletedThenKernelReleasesIt) {
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    PickReport report;
    {
        du::SmartPtr<ProbePick> request(new ProbePick(report));
        EXPECT_TRUE(sxk::Kernel::GetKernel()->ManageObject(request));
        view->PickAsync(12, 34, sxk::PICK_ALL | sxk::PICK_EXCLUDE_PHANTOM, request);
        EXPECT_EQ(request->GetClassName(), du::Symbol("sxk::PickEvent"));
    }
    ASSERT_FALSE(report.deleted);
    ASSERT_EQ(view->pendingPicks.size(), 1u);
    EXPECT_EQ(view->pendingPicks[0].x, 12);
    EXPECT_EQ(view->pendingPicks[0].y, 34);
    EXPECT_EQ(view->pendingPicks[0].flags, sxk::PICK_ALL | sxk::PICK_EXCLUDE_PHANTOM);

    du::SmartPtr<sxk::Object> part(new sxk::Instance("/1"));
    const sxk::PickResult hit{part, {1.0, 2.0, 3.0}};
    EXPECT_TRUE(view->CompletePick({hit, hit}, 7));
    EXPECT_EQ(report.results, 2u);
    EXPECT_EQ(report.status, 7);
    EXPECT_TRUE(report.deleted);
    EXPECT_TRUE(view->pendingPicks.empty());
    EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
    EXPECT_FALSE(view->CompletePick({}, 0));
}

TEST_F(Host, PicksCompleteOldestFirstAndWithoutKernel) {
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    PickReport first, second;
    view->PickAsync(1, 1, sxk::PICK_ALL, new ProbePick(first));
    view->PickAsync(2, 2, sxk::PICK_ALL, new ProbePick(second));
    sxk::Kernel::Remove();
    EXPECT_TRUE(view->CompletePick({sxk::PickResult{}}, 0));
    EXPECT_EQ(first.results, 1u);
    EXPECT_EQ(first.status, 0);
    EXPECT_TRUE(first.deleted);
    EXPECT_EQ(second.status, -1);
    EXPECT_TRUE(view->CompletePick({}, 3));
    EXPECT_EQ(second.status, 3);
    EXPECT_TRUE(second.deleted);
}

TEST_F(Host, PickThatCannotBeQueuedIsLetGoByTheKernel) {
    if (!testsupport::kExceptionsCrossModules)
        GTEST_SKIP() << testsupport::kNoExceptionsAcrossModules;
    PickReport report, later;
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    view->failPickRequests = 1;
    {
        du::SmartPtr<ProbePick> request(new ProbePick(report));
        sxk::Kernel::GetKernel()->ManageObject(request);
        EXPECT_THROW(view->PickAsync(1, 1, sxk::PICK_ALL, request), std::bad_alloc);
        EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
        EXPECT_FALSE(report.deleted);  // still held here
    }
    EXPECT_TRUE(report.deleted);
    EXPECT_TRUE(view->pendingPicks.empty());
    EXPECT_EQ(view->failPickRequests, 0);

    // Only the armed number of requests fail.
    view->PickAsync(2, 2, sxk::PICK_ALL, new ProbePick(later));
    EXPECT_EQ(view->pendingPicks.size(), 1u);
}

TEST_F(Host, CompletionOfACancelledPickIsDeliveredAndCounted) {
    PickReport live, cancelled;
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    view->PickAsync(1, 1, sxk::PICK_ALL, new ProbePick(live));
    du::SmartPtr<ProbePick> request(new ProbePick(cancelled));
    view->PickAsync(2, 2, sxk::PICK_ALL, request);
    request->Cancel();
    request.reset();
    EXPECT_TRUE(view->CompletePick({}, 0));
    EXPECT_EQ(view->detachedCompletions, 0);
    EXPECT_TRUE(view->CompletePick({}, 5));
    EXPECT_EQ(cancelled.status, 5);
    EXPECT_EQ(view->detachedCompletions, 1);
}

TEST_F(Host, KernelRemovalReleasesManagedObjects) {
    PickReport report;
    sxk::Kernel::GetKernel()->ManageObject(new ProbePick(report));
    EXPECT_EQ(sxk::Kernel::Install(), sxk::Kernel::GetKernel());
    EXPECT_FALSE(report.deleted);
    sxk::Kernel::Remove();
    EXPECT_TRUE(report.deleted);
    EXPECT_EQ(sxk::Kernel::GetKernel(), nullptr);
}

TEST_F(Host, WindowKeepsCursorUntilReset) {
    du::SmartPtr<sxk::View> view(new sxk::View);
    const du::SmartPtr<sxk::Window> window = view->GetWindow();
    ASSERT_NE(window, nullptr);
    window->SetCursor("move");
    EXPECT_EQ(window->currentCursor, du::Symbol("move"));
    window->ResetCursor();
    EXPECT_EQ(window->currentCursor, du::Symbol::EMPTY);
    EXPECT_EQ(window->setCursorCount, 1);
    EXPECT_EQ(window->resetCursorCount, 1);
}

TEST_F(Host, ClassTypesFollowParentChain) {
    du::SmartPtr<sxk::Markup> markup(new sxk::Markup);
    EXPECT_TRUE(markup->IsATypeOf(sxk::Markup::CLASS_TYPE));
    EXPECT_TRUE(markup->IsATypeOf(sxk::Object::CLASS_TYPE));
    EXPECT_FALSE(markup->IsATypeOf(sxk::Instance::CLASS_TYPE));
    EXPECT_EQ(markup->GetClassTypes(), (std::vector<const sxk::ClassType*>{
                                           &sxk::Markup::CLASS_TYPE, &sxk::Object::CLASS_TYPE}));
    du::SmartPtr<sxk::Instance> part(new sxk::Instance("/7"));
    du::SmartPtr<sxk::ShapeInstance> shape(new sxk::ShapeInstance(part));
    EXPECT_TRUE(shape->IsATypeOf(sxk::ShapeInstance::CLASS_TYPE));
    EXPECT_FALSE(shape->IsATypeOf(sxk::Instance::CLASS_TYPE));
}

TEST_F(Host, FillServerGivesANewEqualFillPerRequest) {
    attrs::FillAttr fill;
    fill.fillStyle = 0;
    fill.color = {0.1f, 0.1f, 0.6f, 0.8f};
    du::ConstSmartPtr<attrs::FillAttr> first, second;
    const int served = attrs::Server::Instance()->shareCount;
    attrs::Server::Instance()->ShareFillAttr(first, fill);
    attrs::Server::Instance()->ShareFillAttr(second, fill);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(*first, fill);
    EXPECT_EQ(first->GetReferenceCount(), 1);
    EXPECT_EQ(attrs::Server::Instance()->shareCount, served + 2);
}

// The hostile viewer's switches: named in the environment's spelling, each off by default, and
// each doing what it says where the stand-in owns the call.
TEST_F(Host, HostileViewerBehavioursAreNamedAndPlayedWhereTheStandInOwnsTheCall) {
    using sxk::HostileViewer;
    unsigned set = 0;
    EXPECT_TRUE(HostileViewer::Parse("pick-at-once,,notify-calls-back", set));
    EXPECT_EQ(set, unsigned{HostileViewer::PickAtOnce | HostileViewer::NotifyCallsBack});
    EXPECT_FALSE(HostileViewer::Parse("pick-at-once,polite", set));
    EXPECT_EQ(set, unsigned{HostileViewer::PickAtOnce | HostileViewer::NotifyCallsBack});
    for (unsigned bit = 1; bit <= HostileViewer::kAll; bit <<= 1) {
        const auto behaviour = static_cast<HostileViewer::Behaviour>(bit);
        unsigned parsed = 0;
        EXPECT_TRUE(HostileViewer::Parse(HostileViewer::NameOf(behaviour), parsed));
        EXPECT_EQ(parsed, bit);
    }

    // Completed inside the request, and twice.
    du::SmartPtr<sxk::ShapeView> view(new sxk::ShapeView);
    PickReport report;
    view->atOnceResults = {sxk::PickResult{}, sxk::PickResult{}};
    view->atOnceStatus = 4;
    HostileViewer::Set(HostileViewer::PickAtOnce | HostileViewer::PickDeliveredTwice);
    {
        du::SmartPtr<ProbePick> request(new ProbePick(report));
        sxk::Kernel::GetKernel()->ManageObject(request);
        view->PickAsync(1, 1, sxk::PICK_ALL, request);
        EXPECT_EQ(report.completions, 2);
        EXPECT_EQ(report.results, 2u);
        EXPECT_EQ(report.status, 4);
        EXPECT_TRUE(view->pendingPicks.empty());
        EXPECT_TRUE(sxk::Kernel::GetKernel()->managed.empty());
    }
    EXPECT_TRUE(report.deleted);

    // A failed preference read answers false, whatever it wrote.
    du::SmartPtr<sxk::Preferences> preferences(new sxk::Preferences);
    preferences->SetInt("k", 0xff0000);
    HostileViewer::Set(HostileViewer::PreferenceReadFails);
    dg::Color colour(0.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_FALSE(preferences->GetIntUIAsColor("k", colour, nullptr));

    // A notification that takes and drops a reference, and calls back once, not again from
    // inside the call-back.
    du::SmartPtr<sxk::Markup> markup(new sxk::Markup);
    int callBacks = 0;
    HostileViewer::CallBack() = [&callBacks](sxk::Markup& notifying) {
        ++callBacks;
        notifying.NotifyContentChanged();
    };
    HostileViewer::Set(HostileViewer::NotifyTakesReference | HostileViewer::NotifyCallsBack);
    markup->NotifyContentChanged();
    EXPECT_EQ(callBacks, 1);
    EXPECT_EQ(markup->contentChangedCount, 2);
    EXPECT_EQ(markup->GetReferenceCount(), 1);

    if (testsupport::kExceptionsCrossModules) {
        HostileViewer::Set(HostileViewer::ManageObjectThrows | HostileViewer::PickRequestThrows);
        du::SmartPtr<ProbePick> request(new ProbePick(report));
        EXPECT_THROW(sxk::Kernel::GetKernel()->ManageObject(request), std::bad_alloc);
        EXPECT_THROW(view->PickAsync(1, 1, sxk::PICK_ALL, request), std::bad_alloc);
    }
    HostileViewer::Set(0);
}

}  // namespace
