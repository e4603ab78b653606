#include "ui/MainLayout.h"

namespace tessaly {

namespace {

class Arranger {
public:
    explicit Arranger(const LayoutInput& input) : in_(input), s_(input.spacing) {}

    LayoutResult Run()
    {
        ArrangeControls();
        return out_;
    }

private:
    PixelRect& R(Ctl c) { return out_.rects[Index(c)]; }
    const PixelSize& Own(Ctl c) const { return in_.own[Index(c)]; }

    // Left and top given, own size.
    void Place(Ctl c, int left, int top)
    {
        R(c) = PixelRect{left, top, Own(c).width, Own(c).height};
    }

    // A value label just right of its caption label, on the same line.
    void PlaceBeside(Ctl value, Ctl caption, int top)
    {
        Place(value, R(caption).Right() + s_ + 1, top);
    }

    void ArrangeControls()
    {
        const PixelSize banner = Own(Ctl::imgTop);
        out_.clientWidth = banner.width;
        R(Ctl::pnlTop) = PixelRect{0, s_, banner.width, banner.height};
        Place(Ctl::imgTop, 0, 0);
        R(Ctl::gbxSrc) = PixelRect{3 * s_, R(Ctl::imgTop).Bottom() + 2 * s_ + 2, R(Ctl::pnlTop).width - 6 * s_, 0};
        Place(Ctl::lblProduct, 3 * s_ + 1, 11);

        Place(Ctl::lblSource, 4 * s_, in_.sourceLabelTop);
        R(Ctl::edtSource) = PixelRect{4 * s_, R(Ctl::lblSource).Bottom() + 4, R(Ctl::gbxSrc).width - 8 * s_,
                                       Own(Ctl::edtSource).height};
        Place(Ctl::lblUser, 4 * s_, R(Ctl::edtSource).Bottom() + 3 * s_);
        R(Ctl::edtUser) = PixelRect{4 * s_, R(Ctl::lblUser).Bottom() + 4, R(Ctl::edtSource).width,
                                     R(Ctl::edtSource).height};
        Place(Ctl::lblPass, 4 * s_, R(Ctl::edtUser).Bottom() + 3 * s_);
        R(Ctl::edtPass) = PixelRect{4 * s_, R(Ctl::lblPass).Bottom() + 4, R(Ctl::edtSource).width,
                                     R(Ctl::edtSource).height};
        PlaceBeside(Ctl::lblSourceV, Ctl::lblSource, R(Ctl::lblSource).top);
        PlaceBeside(Ctl::lblUserV, Ctl::lblUser, R(Ctl::lblUser).top);
        PlaceBeside(Ctl::lblPassV, Ctl::lblPass, R(Ctl::lblPass).top);
        R(Ctl::gbxSrc).height = R(Ctl::edtPass).Bottom() + 4 * s_;

        ArrangeDestination(R(Ctl::gbxSrc).Bottom() + 4 * s_);
    }

    void ArrangeDestination(int top)
    {
        const PixelRect& source = R(Ctl::lblSource);
        R(Ctl::gbxDst) = PixelRect{R(Ctl::gbxSrc).left, top, R(Ctl::gbxSrc).width, 0};
        Place(Ctl::lblTo, source.left, source.top);
        PlaceBeside(Ctl::lblToV, Ctl::lblTo, source.top);
        R(Ctl::cmbTo) = PixelRect{source.left, R(Ctl::lblTo).Bottom() + 4, R(Ctl::edtSource).width,
                                   Own(Ctl::cmbTo).height};
        Place(Ctl::lblTitle, source.left, R(Ctl::cmbTo).Bottom() + 3 * s_);
        PlaceBeside(Ctl::lblTitleV, Ctl::lblTitle, R(Ctl::lblTitle).top);
        R(Ctl::edtTitle) = PixelRect{source.left, R(Ctl::lblTitle).Bottom() + 4, R(Ctl::edtSource).width,
                                      Own(Ctl::edtTitle).height};
        Place(Ctl::lblScheduler, source.left, R(Ctl::edtTitle).Bottom() + 3 * s_);
        PlaceBeside(Ctl::lblSchedulerV, Ctl::lblScheduler, R(Ctl::lblScheduler).top);

        const int row = R(Ctl::lblScheduler).Bottom() + 4;
        Place(Ctl::lblEvery, source.left + 15, row + 3);
        R(Ctl::cmbScheduler) = PixelRect{R(Ctl::lblEvery).Right() + 5, row, 75, Own(Ctl::cmbScheduler).height};
        Place(Ctl::lblDay, R(Ctl::cmbScheduler).Right() + 5, R(Ctl::lblEvery).top);
        Place(Ctl::lblAT, R(Ctl::lblDay).Right() + 15, R(Ctl::lblEvery).top);
        R(Ctl::dtScheduler) = PixelRect{R(Ctl::lblAT).Right() + 5, R(Ctl::cmbScheduler).top, 95,
                                         R(Ctl::cmbScheduler).height};
        Place(Ctl::lblTime, R(Ctl::dtScheduler).left, R(Ctl::lblScheduler).top);

        const int scheduleWidth = ScheduleButtonWidth(in_.scheduleHasGlyph);
        R(Ctl::btnSchedule) = PixelRect{R(Ctl::edtTitle).Right() - scheduleWidth,
                                         R(Ctl::dtScheduler).Bottom() - 6 * s_, scheduleWidth, 6 * s_};
        const int groupWidth = R(Ctl::gbxDst).width;
        const int margin = (groupWidth - 22 * s_) / 2;
        R(Ctl::btnSync) = PixelRect{margin, R(Ctl::cmbScheduler).Bottom() + 3 * s_, groupWidth - 2 * margin, 6 * s_};
        R(Ctl::gbxDst).height = R(Ctl::btnSync).Bottom() + 3 * s_;

        Place(Ctl::lblStatus, R(Ctl::gbxDst).left + 1, R(Ctl::gbxDst).Bottom() + 3 * s_);
        PlaceBeside(Ctl::lblStatusV, Ctl::lblStatus, R(Ctl::lblStatus).top);
        Place(Ctl::lblESC, R(Ctl::gbxDst).Right() - Own(Ctl::lblESC).width, R(Ctl::lblStatus).top);
        out_.clientHeight = R(Ctl::lblStatus).Bottom() + 3 * s_;

        // The busy animation keeps its fixed place on the banner.
        Place(Ctl::aniBusy, 15, 5);
    }

    const LayoutInput& in_;
    const int s_;
    LayoutResult out_;
};

} // namespace

LayoutResult ArrangeMainWindow(const LayoutInput& input)
{
    return Arranger(input).Run();
}

} // namespace tessaly
