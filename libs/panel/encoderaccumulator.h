#pragma once

// Adds up encoder increments until they make a step. The program keeps one
// accumulator for all encoders together (not one per encoder), so a turn of
// one encoder can complete a step begun on another.
//
// Step sizes by the magnitude m of the sum: 1000 above 100, 500 above 80,
// 50 above 35, 25 above 25, 1 above 15; up to 15 there is no step yet and
// the sum is kept. A step takes the sign of the sum and clears it.
class EncoderAccumulator
{
public:
    // Adds the increment; returns the signed step, or 0 while still adding up.
    // An increment that is not a finite number is ignored.
    int feed(float increment);
    void clear() { m_sum = 0; }
    float sum() const { return m_sum; }

    // 0 for a magnitude of 15 or less.
    static int stepSize(float magnitude);

private:
    float m_sum = 0;
};
