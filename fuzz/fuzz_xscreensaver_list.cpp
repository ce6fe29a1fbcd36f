// The XScreenSaver settings file from arbitrary bytes, edited as
// cascade-add-to-xscreensaver edits it. Checked on every input: the new file
// is the old one with exactly one "-" taken out, or one insertion at the end
// of the last programs list, or nothing changed where Cascade is on; and
// after the edit the parser finds Cascade switched on.
#include "fuzz_check.h"

#include "linux/add_to_xscreensaver/xscreensaver_list.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

const std::string systemFile = "*programs:\t\\\n\t\tmaze --root\t\\n\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string old(reinterpret_cast<const char*>(data), size);
    const ProgramsList list = findProgramsList(old);
    ListEdit edit;
    std::string error;
    FUZZ_CHECK(addCascade(&old, systemFile, "system", edit, error));
    FUZZ_CHECK(edit.before == list.cascade || !list.found);
    if (!list.found) {
        FUZZ_CHECK(edit.fromSystem && edit.text.compare(0, old.size(), old) == 0);
    } else if (list.cascade == CascadeState::Enabled) {
        FUZZ_CHECK(edit.text == old);
    } else if (list.cascade == CascadeState::Disabled) {
        FUZZ_CHECK(old[list.switchOffMark] == '-' && edit.text == std::string(old).erase(list.switchOffMark, 1));
    } else {
        const std::size_t added = edit.text.size() - old.size();
        FUZZ_CHECK(edit.text.size() > old.size() && edit.text.compare(0, list.end, old, 0, list.end) == 0 &&
                   edit.text.compare(list.end + added, std::string::npos, old, list.end) == 0);
    }
    FUZZ_CHECK(findProgramsList(edit.text).cascade == CascadeState::Enabled);
    return 0;
}
