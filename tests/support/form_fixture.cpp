#include "support/form_fixture.h"

FormFixture::FormFixture(QList<VideoCaptureSetting> frontSettings,
                         QList<VideoCaptureSetting> backSettings)
{
    auto fake = std::make_unique<FakeVideoCamera>(std::move(frontSettings), std::move(backSettings));
    camera = fake.get();
    form = std::make_unique<TFrostpaneMainForm>(std::move(fake), clock);
}

QList<VideoCaptureSetting> typicalWebcamSettings()
{
    return {{640, 480, 30.0}, {640, 480, 15.0}, {1280, 720, 30.0}};
}
