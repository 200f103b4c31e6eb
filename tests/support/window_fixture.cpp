#include "support/window_fixture.h"

#include "assets/image_catalogue.h"

#include <QLabel>
#include <QTimer>
#include <QtTest>

WindowFixture::WindowFixture(QList<VideoCaptureSetting> frontSettings, QList<VideoCaptureSetting> backSettings,
                             QSize size, const StoredSettings &settings)
{
    auto fake = std::make_unique<FakeVideoCamera>(std::move(frontSettings), std::move(backSettings));
    camera = fake.get();
    window = std::make_unique<MainWindow>(std::move(fake), clock, settings);
    window->resize(size);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        qFatal("the window was never exposed");
}

void WindowFixture::tap(QWidget *control, qint64 heldMs)
{
    clock.advance(500);
    const QPoint inside = control->rect().center();
    QTest::mousePress(control, Qt::LeftButton, {}, inside);
    clock.advance(heldMs);
    QTest::mouseRelease(control, Qt::LeftButton, {}, inside);
}

QString WindowFixture::labelIn(const char *box) const
{
    return find(box)->findChild<QLabel *>()->text();
}

void WindowFixture::tick(const char *timerName, int times)
{
    auto *timer = find<QTimer>(timerName);
    for (int i = 0; i < times; ++i)
        QMetaObject::invokeMethod(timer, "timeout");
}

QImage WindowFixture::screen() const
{
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage WindowFixture::catalogueImage(const char *name)
{
    static const ImageCatalogue catalogue;
    return catalogue.image(QString::fromLatin1(name));
}

QList<VideoCaptureSetting> typicalWebcamSettings()
{
    return {{640, 480, 30.0}, {640, 480, 15.0}, {1280, 720, 30.0}};
}
