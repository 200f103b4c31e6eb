#pragma once

#include "core/geometry.h"
#include "core/image.h"
#include "core/melt_pass.h"
#include "core/progress_bar.h"
#include "core/settings_mapping.h"
#include "core/wipe_mask.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

// One picture of the game: the photograph and the ice that covers it, of the
// same size.
struct Picture
{
    Image photo;
    Image ice;
};

// The state of play and its rules, without any widget. Each camera frame
// wipes the ice where something moved or a finger or the mouse went (the
// strokes since the last step), lets the ice grow back everywhere and
// composes the picture; without a camera, steps without a frame do the same
// for the strokes alone. What the output shows is told, not drawn: the
// scene, the picture to show at pictureRect() (fitted on black), and in
// play the progress bar and, while more than 95 % is clean, the banner; the
// window or the page draws it with the means its platform has.
//
// The melt levels belong to the child's play, not to a picture: they carry
// over when the picture changes.
class Game
{
public:
    static constexpr double kWinThreshold = 0.95;

    // Pictures are numbered 1..pictureCount and fetched through `loadPicture`
    // when shown; the first is shown at once, as ice on black.
    using PictureLoader = std::function<Picture(int number)>;
    // The banner is drawn by whoever shows the game; the game places it by its
    // size.
    Game(int pictureCount, PictureLoader loadPicture, Size bannerSize, Size outputSize);

    // ---- Settings ----------------------------------------------------------
    // A pixel is wiped when its color changes by more than the sensitivity
    // (sum over red, green, blue); every frame its melt level drops by the
    // freezing speed. Whatever they are set to, both are kept within
    // +-kMaxMeltRuleValue (2^29), where the melt rule cannot overflow; no
    // color change or level comes anywhere near that.
    std::int32_t cameraSensitivity() const { return m_rule.cameraSensitivity; }
    void setCameraSensitivity(std::int32_t sensitivity);
    std::int32_t freezingSpeed() const { return m_rule.freezingSpeed; }
    void setFreezingSpeed(std::int32_t speed);

    // ---- Pictures and views ------------------------------------------------
    int pictureNumber() const { return m_pictureNumber; }
    int pictureCount() const { return m_pictureCount; }
    // Pictures 1..count can now be fetched (more arrived while playing). The
    // count never drops below the picture on show, nor below 1.
    void setPictureCount(int count);
    // Step through the pictures, wrapping around at both ends.
    void nextPicture();
    void previousPicture();
    // Picture `number` can be fetched now (it could not be when asked): shown
    // at once, as a step to it would, when it is the one on show.
    void pictureArrived(int number);
    // The ice view plays the game; the camera view shows the plain frames and
    // pauses the game (the levels stay as they are).
    bool isIceView() const { return m_iceView; }
    void toggleView();

    // ---- Output ------------------------------------------------------------
    // The window's size changed: the pictures are fitted again, the ice is
    // shown on black, and the next frame starts afresh. The output is counted
    // in the pixels it is drawn into (a high-density screen's device pixels);
    // `pixelRatio` is how many of them make one logical unit, for what has a
    // fixed logical size (the progress bar's margins and height).
    void setOutputSize(Size size, double pixelRatio = 1.0);
    Size outputSize() const { return m_outputSize; }
    double pixelRatio() const { return m_pixelRatio; }
    // What the output shows: the ice of the picture on black (at the start,
    // after a picture or size change, until the next step), the game (the
    // composed picture, the progress bar and maybe the banner), or the plain
    // camera frame (the camera view).
    enum class Scene { IceOnBlack, Play, CameraFrame };
    Scene scene() const { return m_scene; }
    // The picture to draw at pictureRect(), scaled to it; black around it.
    // Null when there is none (a picture that could not be loaded).
    ConstImageView shownPicture() const;
    // Where the picture sits in the output, and the banner. Only in play are
    // the progress bar and the banner shown.
    Rect pictureRect() const { return m_pictureRect; }
    Rect bannerRect() const { return m_bannerRect; }
    // The banner's picture arrived later than the game was made (the page
    // loads it after the start): it is placed by this size from now on.
    void setBannerSize(Size size);
    // The size pictures and frames have: every frame handed to step() must
    // be of it.
    Size pictureSize() const { return m_picture.photo.size(); }

    // ---- Frames ------------------------------------------------------------
    // One camera frame at pictureSize(), already brought to it (its middle
    // part, middlePart(), scaled; mirrored for a front camera) in the byte
    // order of the pictures. `cameraSize` is the size the camera delivered
    // it at: the first frame, and the first after that size changed, is only
    // the motion reference. A frame of another size than the picture's
    // changes nothing. Returns the part of the output that changed (empty
    // when nothing did).
    // The frame is taken over without a copy: `frame` is handed back holding
    // a spare buffer of the same size to fill next time.
    Rect step(Image &frame, Size cameraSize);
    // The parts of the output the last step (with a frame or without)
    // changed, in output pixels: within the rectangle it returned, often far
    // less. In play, only the bands of picture rows whose composed pixels
    // differ from the step before are in it, each as wide as its changed
    // pixels (with a source pixel either side, which scaling reads), beside
    // the bar's old and new place; the whole picture whenever the output
    // showed anything else before. At most a few rectangles; empty when the
    // step changed nothing.
    const std::vector<Rect> &changedParts() const { return m_changedParts; }
    // Whether the steps look for those parts (on by default): an output that
    // redraws the whole rectangle anyway (the page's canvas) saves the
    // comparison, and gets the whole picture as its one part.
    void setFindsChangedParts(bool finds) { m_findsChangedParts = finds; }
    // The next frame becomes the motion reference instead of being compared
    // with the last one (its source changed).
    void requestNewReference() { m_newReferencePending = true; }
    // The frame the next one is compared with; null when the next frame
    // will only be the new reference.
    ConstImageView motionReference() const
    {
        return m_newReferencePending ? ConstImageView() : ConstImageView(m_previousFrame.view());
    }

    // ---- Strokes -----------------------------------------------------------
    // A finger or the mouse wiping, beside the camera. A stroke is a segment
    // in picture coordinates (pixel (x, y) covers x..x+1, y..y+1); the next
    // step, with a frame or without, wipes every pixel whose centre lies
    // within brushRadius() of it as the largest color change would (d = 765,
    // whatever the sensitivity). The part of a segment off the picture wipes
    // nothing. Strokes in the camera view are dropped: the game is paused.
    void addStroke(Point from, Point to);
    bool hasPendingStrokes() const { return !m_wipeMask.isEmpty(); }
    // 2.5 % of the picture's height, in picture pixels.
    double brushRadius() const;
    // A point of the output, as pointer positions are reported (a whole
    // number names a pixel, whose centre is taken), in picture coordinates.
    // Points on the black bars map outside 0..width x 0..height, where
    // strokes wipe nothing.
    Point toPicture(Point outputPoint) const;

    // One step with no camera frame, for when no camera delivers: nothing
    // moves, the strokes wipe and the ice grows back. The first one shows
    // the game's picture in place of the ice on black, as the first frame
    // does. Returns the part of the output that changed; in the camera view
    // nothing happens.
    Rect stepWithoutFrame();
    // Steps without a frame would change nothing: no stroke is waiting, no
    // level would grow back, and the step that puts the game's picture back
    // after the banner went has run.
    bool isSettled() const;

    // ---- Progress ----------------------------------------------------------
    double cleanedFraction() const { return m_cleanedFraction; }
    // The pixels the last step wiped while they were still ice (below the
    // clean level once the ice had grown back), as a fraction of the
    // picture's pixels; 0 after a step that wiped no ice or ran no pass.
    double iceWipedFraction() const { return m_iceWipedFraction; }
    bool bannerShown() const { return m_bannerShown; }
    Rect progressBarRect() const { return m_progressBarRect; }
    Color progressBarColor() const { return ::progressBarColor(m_cleanedFraction); }
    // One level per picture pixel, row by row: 0 frozen, 300 and more clean.
    const std::vector<std::int32_t> &meltLevels() const { return m_meltLevels; }

private:
    void showPicture();
    bool runMeltPass(const Image &camera, const Image &previous, MeltRule rule);
    void findChangedRows();
    Rect showPass(bool ran);

    PictureLoader m_loadPicture;
    int m_pictureCount = 0;
    int m_pictureNumber = 1;
    bool m_iceView = true;
    MeltRule m_rule{kDefaultCameraSensitivity, kDefaultFreezingSpeed};

    Picture m_picture;
    Size m_bannerSize;
    Image m_frame;         // the current frame at the picture's size
    Image m_previousFrame; // the motion reference, and the camera view's picture
    Image m_composed;      // picture and ice, composed by the melt pass
    Image m_lastComposed;  // the pass before's, to tell the rows that changed
    // Whether m_lastComposed is what the output shows of the picture.
    bool m_lastComposedShown = false;
    bool m_findsChangedParts = true;
    // Parts of the picture the last pass changed: bands of rows, each with
    // the columns its changed pixels lie in (all inclusive).
    struct ChangedBand
    {
        int top, bottom, left, right;
    };
    std::vector<ChangedBand> m_changedBands;
    std::vector<Rect> m_changedParts;
    Size m_lastCameraSize;
    Scene m_scene = Scene::IceOnBlack;

    Size m_outputSize;
    double m_pixelRatio = 1.0;
    Rect m_pictureRect;
    Rect m_bannerRect;
    Rect m_progressBarRect;

    std::vector<std::int32_t> m_meltLevels;
    double m_cleanedFraction = 0.0;
    double m_iceWipedFraction = 0.0;
    bool m_bannerShown = false;
    // The banner just went and the ice on black took the game's place for a
    // step.
    bool m_gameHiddenByBanner = false;
    WipeMask m_wipeMask;
    bool m_newReferencePending = true;
};
