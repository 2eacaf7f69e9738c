#pragma once

// How a canvas element sets its caption inside its box.
enum class clsSceneAlign
{
    Left,
    Centre,
    Right,
};
