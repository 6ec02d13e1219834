// The editor base class the effect adapter talks to, with the indexed
// update operations the engine posts through.
#pragma once

#include "plugin/vst/aeffectx.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* effect) : effect(effect) {}
    virtual ~AEffEditor() = default;

    virtual VstInt32 getRect(ERect** rect)
    {
        if (rect)
            *rect = nullptr;
        return 0;
    }
    virtual VstInt32 open(void* parent)
    {
        systemWindow = parent;
        return 0;
    }
    virtual void close() {}
    virtual void idle() {}
    virtual void update() {}
    virtual void postUpdate() { updateFlag = 1; }
    virtual void updateIndexed() {}
    virtual void postUpdateIndexed(long index) { (void)index; }
    virtual void updateAtIndex(long index) { (void)index; }
    virtual VstInt32 onKeyDown(VstKeyCode& key) { (void)key; return -1; }
    virtual VstInt32 onKeyUp(VstKeyCode& key) { (void)key; return -1; }
    virtual VstInt32 setKnobMode(int mode) { (void)mode; return 0; }
    virtual bool onWheel(float distance) { (void)distance; return false; }

protected:
    void* systemWindow = nullptr;
    AudioEffect* effect;
    VstInt32 updateFlag = 0;
};
