#pragma once

#include "core/melt_pass.h"
#include "core/wipe_mask.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <functional>
#include <vector>

// One picture of the game: the photograph and the ice that covers it, of the
// same size.
struct Picture
{
    QImage photo;
    QImage ice;
};

// The state of play and its rules, without any widget. Each camera frame
// wipes the ice where something moved or a finger or the mouse went (the
// strokes since the last step), lets the ice grow back everywhere and
// composes the picture; without a camera, steps without a frame do the same
// for the strokes alone; render() draws what the window shows: the picture
// (or the plain camera frame in the camera view) fitted on black, the
// progress bar and, while more than 95 % is clean, the banner.
//
// The melt levels belong to the child's play, not to a picture: they carry
// over when the picture changes.
class Game
{
public:
    static constexpr std::int32_t kDefaultCameraSensitivity = 20;
    static constexpr std::int32_t kDefaultFreezingSpeed = 10;
    static constexpr double kWinThreshold = 0.95;

    // Pictures are numbered 1..pictureCount and fetched through `loadPicture`
    // when shown; the first is shown at once, as ice on black.
    using PictureLoader = std::function<Picture(int number)>;
    Game(int pictureCount, PictureLoader loadPicture, QImage banner, QSize outputSize);

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
    void setOutputSize(QSize size, double pixelRatio = 1.0);
    QSize outputSize() const { return m_outputSize; }
    double pixelRatio() const { return m_pixelRatio; }
    // Draws the part `clip` of the output (output coordinates) into a 32-bit
    // image whose pixel `origin` is the output's top-left corner. Every pixel
    // of the clip inside the output is written; nothing outside it. `target`
    // must be RGB32, ARGB32 or ARGB32_Premultiplied (the output is opaque).
    void render(QImage &target, QPoint origin, const QRect &clip) const;
    // Where the picture sits in the output, and the banner.
    QRectF pictureRect() const { return m_pictureRect; }
    QRectF bannerRect() const { return m_bannerRect; }

    // ---- Frames ------------------------------------------------------------
    // One camera frame, as 32-bit ARGB of any size: frames of another size are
    // brought to the picture's size (their middle part with its shape). The
    // first frame, and the first after the frames' size changed, is only the
    // motion reference.
    // `mirrored` flips it left to right first, as a front camera's picture
    // should look. Returns the part of the output that changed (empty when
    // nothing did).
    // A frame of the picture's size is taken over without a copy when it
    // needs no mirror; `frame` is then handed back holding a spare buffer to
    // fill next time.
    QRect step(QImage &frame, bool mirrored);
    // The next frame becomes the motion reference instead of being compared
    // with the last one (its source changed).
    void requestNewReference() { m_newReferencePending = true; }

    // ---- Strokes -----------------------------------------------------------
    // A finger or the mouse wiping, beside the camera. A stroke is a segment
    // in picture coordinates (pixel (x, y) covers x..x+1, y..y+1); the next
    // step, with a frame or without, wipes every pixel whose centre lies
    // within brushRadius() of it as the largest color change would (d = 765,
    // whatever the sensitivity). The part of a segment off the picture wipes
    // nothing. Strokes in the camera view are dropped: the game is paused.
    void addStroke(QPointF from, QPointF to);
    bool hasPendingStrokes() const { return !m_wipeMask.isEmpty(); }
    // 2.5 % of the picture's height, in picture pixels.
    double brushRadius() const;
    // A point of the output, as Qt reports pointer positions (a whole number
    // names a pixel, whose centre is taken), in picture coordinates. Points
    // on the black bars map outside 0..width x 0..height, where strokes wipe
    // nothing.
    QPointF toPicture(QPointF outputPoint) const;

    // One step with no camera frame, for when no camera delivers: nothing
    // moves, the strokes wipe and the ice grows back. The first one shows
    // the game's picture in place of the ice on black, as the first frame
    // does. Returns the part of the output that changed; in the camera view
    // nothing happens.
    QRect stepWithoutFrame();
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
    QRectF progressBarRect() const { return m_progressBarRect; }
    // One level per picture pixel, row by row: 0 frozen, 300 and more clean.
    const std::vector<std::int32_t> &meltLevels() const { return m_meltLevels; }

private:
    // What the output shows.
    enum class Scene { IceOnBlack, Play, CameraFrame };

    void showPicture();
    void takeFrame(QImage &frame, bool mirrored);
    void scaleBanner();
    bool runMeltPass(const QImage &camera, const QImage &previous, MeltRule rule);
    QRect showPass(bool ran);

    PictureLoader m_loadPicture;
    int m_pictureCount = 0;
    int m_pictureNumber = 1;
    bool m_iceView = true;
    MeltRule m_rule{kDefaultCameraSensitivity, kDefaultFreezingSpeed};

    Picture m_picture;
    QImage m_banner;
    QImage m_scaledBanner;  // at the banner's place in the output
    QImage m_frame;         // the current frame at the picture's size
    QImage m_previousFrame; // the motion reference, and the camera view's picture
    QImage m_fitted;        // a frame of another size, fitted before its mirror
    QImage m_composed;      // picture and ice, composed by the melt pass
    QSize m_lastFrameSize;
    Scene m_scene = Scene::IceOnBlack;

    QSize m_outputSize;
    double m_pixelRatio = 1.0;
    QRectF m_pictureRect;
    QRectF m_bannerRect;
    QRectF m_progressBarRect;

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
