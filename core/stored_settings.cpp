#include "core/stored_settings.h"

#include "core/percent_encoding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <locale>
#include <sstream>

std::optional<VideoCaptureSetting> StoredSettings::resolutionFor(const std::string &cameraId) const
{
    if (const auto own = resolutions.find(cameraId); own != resolutions.end())
        return own->second;
    if (const auto every = resolutions.find(std::string()); every != resolutions.end())
        return every->second;
    return std::nullopt;
}

namespace {

constexpr std::string_view kSpace = " \t\r\n\f\v";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

std::string lowered(std::string_view text)
{
    std::string result(text);
    for (char &c : result)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return result;
}

// A decimal number in the C locale's spelling ("-12", "1e23", "20.5"),
// whatever the user's locale; nullopt for anything else, infinities and
// NaN included. A number beyond a double's range, however long its digits or
// large its exponent, is that signed infinity; one too close to zero for a
// double is no number here (it is not whole, and neither C++ library reads
// it the same way).
std::optional<double> number(std::string_view text)
{
    // Only these characters: libc++ (the browser's build) would also read
    // hexadecimal ("0x10") where libstdc++ reads nothing.
    if (text.empty() || text.find_first_not_of("0123456789+-.eE") != std::string_view::npos)
        return std::nullopt;
    std::istringstream in{std::string(text)};
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> std::noskipws >> value;
    if (!in.eof())
        return std::nullopt;
    // A range error still reads the whole text: libstdc++ gives +-max,
    // libc++ +-infinity; a text that is no number gives 0.
    if (in.fail())
        return std::abs(value) >= std::numeric_limits<double>::max()
                   ? std::optional<double>(std::copysign(std::numeric_limits<double>::infinity(), value))
                   : std::nullopt;
    const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
    if (!std::isfinite(value) || (value == 0.0 && mantissa.find_first_of("123456789") != std::string_view::npos))
        return std::nullopt;
    return value;
}

// Digits with an optional sign, as a whole number; nullopt when it does not
// fit 64 bits.
std::optional<std::int64_t> wholeNumber(std::string_view text)
{
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        i = 1;
    if (i == text.size() || text.size() - i > 18)
        return std::nullopt;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return negative ? -value : value;
}

std::string shown(const StoredValue &value)
{
    switch (value.kind) {
    case StoredValue::Kind::Text:
        return '"' + value.data + '"';
    case StoredValue::Kind::Bytes:
        return "a byte array";
    case StoredValue::Kind::Other:
        break;
    }
    return "a value of type " + value.typeName;
}

class Reader
{
public:
    explicit Reader(const StoredValues &values)
        : m_values(values)
    { }

    void readWhole(const StoredKey &key, int &target)
    {
        const StoredValue *value = find(key.path);
        if (!value)
            return;
        const std::string_view text = value->kind == StoredValue::Kind::Text ? trimmed(value->data) : "";
        if (const std::optional<std::int64_t> whole = wholeNumber(text)) {
            take(key, target, double(*whole), std::to_string(*whole));
            return;
        }
        // Longer digit strings and other spellings of a number: far out of
        // range is still out of range, and comes to its nearer end.
        const std::optional<double> n = number(text);
        if (n && (*n < key.minimum || *n > key.maximum || *n == std::trunc(*n))) {
            take(key, target, *n, std::string(text));
            return;
        }
        warn(key.path, shown(*value) + " is not a whole number; " + std::to_string(target) + " is used");
    }

    void readTruth(const StoredKey &key, bool &target)
    {
        const StoredValue *value = find(key.path);
        if (!value)
            return;
        if (value->kind == StoredValue::Kind::Text) {
            const std::string word = lowered(trimmed(value->data));
            for (const char *yes : {"true", "1", "yes", "on"}) {
                if (word == yes) {
                    target = true;
                    return;
                }
            }
            for (const char *no : {"false", "0", "no", "off"}) {
                if (word == no) {
                    target = false;
                    return;
                }
            }
        }
        warn(key.path, shown(*value) + " is neither true nor false; " + (target ? "true" : "false") + " is used");
    }

    void readResolutions(std::map<std::string, std::optional<VideoCaptureSetting>> &target)
    {
        const std::string prefix = std::string(StoredSettingsKey::resolution) + '/';
        for (const auto &[path, value] : m_values) {
            std::string id;
            if (path == StoredSettingsKey::resolution)
                id.clear();
            else if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0)
                id = percentDecoded(std::string_view(path).substr(prefix.size()));
            else
                continue;
            const std::string_view text = value.kind == StoredValue::Kind::Text ? trimmed(value.data) : "";
            if (text == "default") {
                target[id] = std::nullopt;
            } else if (const std::optional<VideoCaptureSetting> setting = parseCaptureSetting(text)) {
                target[id] = setting;
            } else {
                warn(path, shown(value) + " is neither \"default\" nor WxH@fps; the default is used");
            }
        }
    }

    void readBytes(const StoredKey &key, std::string &target)
    {
        const StoredValue *value = find(key.path);
        if (!value)
            return;
        if (value->kind == StoredValue::Kind::Bytes)
            target = value->data;
        else
            warn(key.path, shown(*value) + " is not a saved window geometry; it is left out");
    }

    std::vector<std::string> warnings;

private:
    const StoredValue *find(std::string_view path) const
    {
        const auto found = m_values.find(std::string(path));
        return found == m_values.end() ? nullptr : &found->second;
    }

    void take(const StoredKey &key, int &target, double value, const std::string &written)
    {
        target = int(std::clamp(value, double(key.minimum), double(key.maximum)));
        if (double(target) != value)
            warn(key.path, written + " is outside " + std::to_string(key.minimum) + ".." + std::to_string(key.maximum)
                               + "; " + std::to_string(target) + " is used");
    }

    void warn(std::string_view path, const std::string &what) { warnings.push_back(std::string(path) + ": " + what); }

    const StoredValues &m_values;
};

} // namespace

bool isStoredKey(std::string_view path)
{
    const std::string_view resolution = StoredSettingsKey::resolution;
    if (path.size() > resolution.size() + 1 && path.substr(0, resolution.size()) == resolution
        && path[resolution.size()] == '/')
        return true;
    return std::any_of(kStoredKeys.begin(), kStoredKeys.end(),
                       [path](const StoredKey &key) { return key.path == path; });
}

StoredSettingsReading readStoredSettings(const StoredValues &values, const StoredSettings &base)
{
    StoredSettingsReading reading{base, {}};
    StoredSettings &s = reading.settings;
    Reader reader(values);
    for (const StoredKey &key : kStoredKeys) {
        if (key.path == StoredSettingsKey::cameraSensitivity)
            reader.readWhole(key, s.cameraSensitivity);
        else if (key.path == StoredSettingsKey::freezingSpeed)
            reader.readWhole(key, s.freezingSpeed);
        else if (key.path == StoredSettingsKey::sound)
            reader.readTruth(key, s.sound);
        else if (key.path == StoredSettingsKey::waveToGoOn)
            reader.readTruth(key, s.waveToGoOn);
        else if (key.path == StoredSettingsKey::backCamera)
            reader.readTruth(key, s.backCamera);
        else if (key.path == StoredSettingsKey::resolution)
            reader.readResolutions(s.resolutions);
        else if (key.path == StoredSettingsKey::fullScreen)
            reader.readTruth(key, s.fullScreen);
        else if (key.path == StoredSettingsKey::geometry)
            reader.readBytes(key, s.geometry);
    }
    reading.warnings = std::move(reader.warnings);
    return reading;
}

StoredValues storedSettingsValues(const StoredSettings &settings)
{
    const auto truth = [](bool value) { return StoredValue::text(value ? "true" : "false"); };
    StoredValues values{
        {std::string(StoredSettingsKey::cameraSensitivity),
         StoredValue::text(std::to_string(settings.cameraSensitivity))},
        {std::string(StoredSettingsKey::freezingSpeed), StoredValue::text(std::to_string(settings.freezingSpeed))},
        {std::string(StoredSettingsKey::sound), truth(settings.sound)},
        {std::string(StoredSettingsKey::waveToGoOn), truth(settings.waveToGoOn)},
        {std::string(StoredSettingsKey::backCamera), truth(settings.backCamera)},
        {std::string(StoredSettingsKey::fullScreen), truth(settings.fullScreen)},
    };
    if (!settings.geometry.empty())
        values.emplace(StoredSettingsKey::geometry, StoredValue::bytes(settings.geometry));
    for (const auto &[id, setting] : settings.resolutions) {
        std::string key(StoredSettingsKey::resolution);
        if (!id.empty())
            key += '/' + percentEncoded(id);
        values[key] = StoredValue::text(setting ? captureSettingText(*setting) : "default");
    }
    return values;
}

std::string captureSettingText(const VideoCaptureSetting &setting)
{
    // The shortest spelling that reads back as the same number.
    // At least as many digits as the whole part has, so that no exponent
    // appears ("30", not "3e+01").
    int wholeDigits = 1;
    for (double whole = std::trunc(std::fabs(setting.frameRate)); whole >= 10.0 && wholeDigits < 17; whole /= 10.0)
        ++wholeDigits;
    std::string rate;
    for (int digits = wholeDigits; digits <= 17; ++digits) {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out.precision(digits);
        out << setting.frameRate;
        rate = out.str();
        if (number(rate) == setting.frameRate)
            break;
    }
    return std::to_string(setting.width) + 'x' + std::to_string(setting.height) + '@' + rate;
}

std::optional<VideoCaptureSetting> parseCaptureSetting(std::string_view text)
{
    // WxH@fps: 1-5 digits, 'x', 1-5 digits, '@', 1-4 digits with an optional
    // fraction of 1-17 digits.
    const auto digits = [&text](std::size_t &i, std::size_t most) {
        const std::size_t start = i;
        while (i < text.size() && i - start < most + 1 && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i > start && i - start <= most;
    };
    std::size_t i = 0;
    const std::size_t widthEnd = (digits(i, 5), i);
    if (widthEnd == 0 || widthEnd > 5 || i >= text.size() || text[i] != 'x')
        return std::nullopt;
    const std::size_t heightStart = ++i;
    if (!digits(i, 5) || i >= text.size() || text[i] != '@')
        return std::nullopt;
    const std::size_t heightEnd = i;
    const std::size_t rateStart = ++i;
    if (!digits(i, 4))
        return std::nullopt;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (!digits(i, 17))
            return std::nullopt;
    }
    if (i != text.size())
        return std::nullopt;
    const std::optional<double> rate = number(text.substr(rateStart));
    if (!rate)
        return std::nullopt;
    const VideoCaptureSetting setting{int(*wholeNumber(text.substr(0, widthEnd))),
                                      int(*wholeNumber(text.substr(heightStart, heightEnd - heightStart))), *rate};
    const auto sideOk = [](int side) { return side >= 1 && side <= 16384; };
    if (!sideOk(setting.width) || !sideOk(setting.height) || !(setting.frameRate > 0.0) || setting.frameRate > 1000.0)
        return std::nullopt;
    return setting;
}
