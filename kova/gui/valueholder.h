// Value interfaces mixed into widgets: SIValueHolder keeps a value and its
// default; SIValueRangeHolder adds the range [min, max] with its middle and
// a step.
//
// SetValue never clamps: only SetValueClipped (and the mouse paths of the
// widgets) respect the range.
#pragma once

namespace kova::gui {

template <typename T>
class SIValueHolder {
public:
    virtual ~SIValueHolder() = default;

    // Stores v; true when it differs from the value held. notify is for the
    // widgets that override this (it tells them to inform listeners).
    virtual bool SetValue(T v, bool notify)
    {
        (void)notify;
        if (v == value)
            return false;
        value = v;
        return true;
    }
    virtual T GetValue() { return value; }
    virtual T GetValueDef() { return valueDef; }
    // Back to the default, through the widget's own SetValue.
    virtual bool ResetValue() { return SetValue(valueDef, true); }
    virtual void SetValueDef(T d) { valueDef = d; }

protected:
    T value{};
    T valueDef{};
};

template <typename T>
class SIValueRangeHolder : public SIValueHolder<T> {
public:
    // Stores the range, then the default (clamped into it) and the middle.
    virtual void SetValueRange(T lo, T hi, T def)
    {
        min = lo;
        max = hi;
        SetValueDef(def);
        CalcValueMed();
    }
    // Clamps v into the range, then SetValue(v, true).
    virtual bool SetValueClipped(T v)
    {
        if (v < min)
            v = min;
        if (v > max)
            v = max;
        return this->SetValue(v, true);
    }
    // A new minimum raises a default below it.
    virtual void SetValueMin(T m)
    {
        min = m;
        if (this->valueDef < m)
            this->valueDef = m;
        CalcValueMed();
    }
    // A new maximum lowers a default above it.
    virtual void SetValueMax(T m)
    {
        max = m;
        if (this->valueDef > m)
            this->valueDef = m;
        CalcValueMed();
    }
    // Moves the value to the middle without redrawing.
    virtual bool SetValueMed()
    {
        if (this->value == med)
            return false;
        this->value = med;
        return true;
    }
    virtual void SetValueStep(T s) { step = s; }
    virtual T GetValueStep() { return step; }
    virtual T GetValueRange() { return max - min; }
    virtual T GetValueMin() { return min; }
    virtual T GetValueMax() { return max; }
    virtual T GetValueMed() { return med; }
    virtual void CalcValueMed() { med = min + ((max - min) >> 1); }
    // The value at a fraction of the range (from the top when inverted),
    // rounded to nearest with halves upward.
    virtual T ScaleValue(float fraction, bool inverted)
    {
        double span = (double)(max - min);
        double v = inverted ? (double)max - fraction * span : (double)min + fraction * span;
        return (T)RoundHalfUp(v);
    }

    // Clamped into the range.
    void SetValueDef(T d) override
    {
        if (d < min)
            d = min;
        if (d > max)
            d = max;
        this->valueDef = d;
    }

    // Round to nearest, halves upward, with the toolkit's small bias.
    static long RoundHalfUp(double v)
    {
        double r = v + 8.326e-17 + 0.5;
        long i = (long)r;
        if ((double)i > r)
            --i;
        return i;
    }

protected:
    T min{};
    T max{};
    T med{};
    T step = 1;
};

}  // namespace kova::gui
