#include "core/photo_rules.h"

#include <algorithm>

namespace PhotoRules {

std::vector<int> picturesToKeep(int shown, int total, bool listComplete)
{
    std::vector<int> kept;
    if (total < 1 || shown < 1 || shown > total)
        return kept;
    const auto keep = [&kept](int number) {
        if (std::find(kept.begin(), kept.end(), number) == kept.end())
            kept.push_back(number);
    };
    keep(shown);
    keep(shown >= total ? 1 : shown + 1);
    if (shown > 1 || listComplete)
        keep(shown <= 1 ? total : shown - 1);
    return kept;
}

} // namespace PhotoRules
