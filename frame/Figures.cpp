/*
 * Figures.cpp - helpers shared by the commands: figure-type words of the
 * drawing tables and numeric settings.
 */
#include "frame/Module.h"

#include <math.h>

int32_t FrameFigureType(int32_t index)
{
    return (int16_t)(gHostState->tables->figureType[index] & HOST_TYPE_MASK);
}

void FrameSetFigureType(int32_t index, int32_t type)
{
    int32_t *word = &gHostState->tables->figureType[index];
    *word = (int32_t)(((uint32_t)*word & 0xFFFF0000u) | ((uint32_t)type & HOST_TYPE_MASK));
}

int32_t FrameTruncate(double value)
{
    if (isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return 2147483647;
    if (value <= -2147483648.0)
        return (-2147483647 - 1);
    return (int32_t)value; /* in range: truncation toward zero */
}

int32_t FrameSettingToInt(double stored, double fallback)
{
    return FrameTruncate(isnan(stored) ? fallback : stored);
}

int32_t FrameReadIntSetting(const char *key, double fallback)
{
    return FrameSettingToInt(gHostServices->ReadSetting(key, 0, 0, fallback), fallback);
}
