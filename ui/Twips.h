#pragma once

// Window geometry is designed in twips (1/1440 inch); at 96 dots per inch a pixel is 15 twips.
constexpr int twipsToPixels(int twips)
{
    return (twips + 7) / 15;
}
