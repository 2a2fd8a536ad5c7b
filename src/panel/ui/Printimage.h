#pragma once
// Prints an image of a window on one page, scaled to the page with its aspect kept.

class QImage;
class QPrinter;

void PrintWindowImage(QPrinter& printer, const QImage& image);
