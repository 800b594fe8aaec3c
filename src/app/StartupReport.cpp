#include "app/StartupReport.h"

namespace harkwell {

void ReportSoundAtStart(const SoundAtStart& sound, std::ostream& errors)
{
    if (!sound.output)
        errors << "harkwell: no sound output can be used (" << sound.outputCause << "): tunes will not play\n";
    if (!sound.synth)
        errors << "harkwell: no General MIDI SoundFont at " << sound.soundFont
               << ": the score and the keys will not sound (install timgm6mb-soundfont or fluid-soundfont-gm)\n";
}

int ReportSelfCheck(const std::vector<SelfCheckItem>& items, std::ostream& out)
{
    bool all = true;
    for (const SelfCheckItem& item : items) {
        if (item.found) {
            out << item.name << ": " << item.detail << '\n';
        } else {
            out << item.name << ": not found (" << item.detail << ")\n";
            all = false;
        }
    }
    return all ? 0 : 1;
}

}  // namespace harkwell
