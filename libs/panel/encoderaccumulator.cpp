#include "encoderaccumulator.h"

#include <cmath>

int EncoderAccumulator::stepSize(float magnitude)
{
    if (magnitude > 100)
        return 1000;
    if (magnitude > 80)
        return 500;
    if (magnitude > 35)
        return 50;
    if (magnitude > 25)
        return 25;
    if (magnitude > 15)
        return 1;
    return 0;
}

int EncoderAccumulator::feed(float increment)
{
    // One NaN would otherwise stick in the sum and stop every encoder for good.
    if (!std::isfinite(increment))
        return 0;
    const float sum = m_sum + increment;
    if (!std::isfinite(sum))
        return 0;
    m_sum = sum;
    const int size = stepSize(std::fabs(m_sum));
    if (size == 0)
        return 0;
    const int step = m_sum < 0 ? -size : size;
    m_sum = 0;
    return step;
}
