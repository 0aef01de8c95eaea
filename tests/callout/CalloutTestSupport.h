#pragma once

#include <HostFixture.h>

#include <dg/Vector.h>
#include <du/SmartPtr.h>
#include <sxk/HostileViewer.h>
#include <sxk/Markup.h>
#include <sxk/Operation.h>
#include <sxk/View.h>
#include <sxmk/CalloutLabel.h>
#include <sxmk/CalloutLabelShadow.h>
#include <sxmk/MarkupData.h>
#include <sxmu/Model.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace callouttest {

inline void ExpectPointNear(const dg::DPoint3D& actual, const dg::DPoint3D& expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9);
    EXPECT_NEAR(actual.y, expected.y, 1e-9);
    EXPECT_NEAR(actual.z, expected.z, 1e-9);
}

// The note dragger that a shadow draws (its content's model node).
inline sxmu::ModelNoteDragger* DraggerOf(const sxmk::CalloutLabelShadow& shadow) {
    const sxmk::MarkupData* data = shadow.GetContent();
    if (!data)
        return nullptr;
    return dynamic_cast<sxmu::ModelNoteDragger*>(data->GetModelBase().get());
}

// A controller that records what it is handed and answers as told. It remembers the state of
// the shadow at the moment of the call, so tests can check what was done before it.
class RecordingController : public sxk::MarkupController {
public:
    struct Call {
        const sxk::Markup* markup;
        const sxk::Markup* shadow;
        const sxk::Operation* operation;
        std::string operationName;
        int resetLocationsBefore;
        std::size_t recordedBefore;
        dg::DPoint3D shadowPos;
    };

    bool HandleShadowStop(const du::SmartPtr<sxk::Markup>& markup,
                          const du::SmartPtr<sxk::Markup>& shadow,
                          const du::SmartPtr<sxk::Operation>& operation) override {
        Call call{markup.get(),
                  shadow.get(),
                  operation.get(),
                  operation ? operation->GetName() : std::string(),
                  -1,
                  sxk::RecordedOperations().size(),
                  dg::DPoint3D::ORIGIN};
        if (auto* s = dynamic_cast<sxmk::CalloutLabelShadow*>(shadow.get())) {
            if (const sxmu::ModelNoteDragger* d = DraggerOf(*s))
                call.resetLocationsBefore = d->resetLocationCount;
            call.shadowPos = s->GetPos();
        }
        calls.push_back(call);
        // A viewer may let go of the shadow or rebuild it here (when the test switches it on).
        sxk::HostileViewer::AfterShadowStop();
        return answer;
    }

    bool answer = false;
    std::vector<Call> calls;
};

// A host with one label (note at notePos) shown in one plain view.
class CalloutFixture : public testsupport::HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        view = new sxk::View;
        label = new sxmk::CalloutLabel;
        note = new sxmu::ModelNote("callout");
        note->location.SetPos(notePos);
        label->note = note;
    }
    void ReleaseAll() override {
        shadow.reset();
        label.reset();
        note.reset();
        view.reset();
    }

    // The label's shadow for the view, held by the test.
    void MakeShadow() {
        shadow = dynamic_cast<sxmk::CalloutLabelShadow*>(label->ConstructShadow(view));
        ASSERT_TRUE(shadow);
    }

    const dg::DPoint3D notePos{1.0, 2.0, 3.0};
    du::SmartPtr<sxk::View> view;
    du::SmartPtr<sxmk::CalloutLabel> label;
    du::SmartPtr<sxmu::ModelNote> note;
    du::SmartPtr<sxmk::CalloutLabelShadow> shadow;
    RecordingController controller;  // outlives the label: members are released in ReleaseAll
};

}  // namespace callouttest
