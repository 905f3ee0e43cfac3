// Loaded before SDL2_mixer (LD_PRELOAD), this makes the show see a mixer
// library of another minor version, so that its version check can be tried.

struct MixerVersion {
    unsigned char major;
    unsigned char minor;
    unsigned char patch;
};

extern "C" const MixerVersion* Mix_Linked_Version() {
    static const MixerVersion other = {2, 4, 0};
    return &other;
}
