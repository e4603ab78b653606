"""Table columns padded by what a terminal shows, not by bytes: "Wenna Muñoz" takes 11
columns, a wide CJK character two, a combining accent none."""
import unicodedata


def width(text):
    columns = 0
    for ch in text:
        if unicodedata.combining(ch) or unicodedata.category(ch) in ("Mn", "Me", "Cf"):
            continue
        columns += 2 if unicodedata.east_asian_width(ch) in ("W", "F") else 1
    return columns


def padded(text, columns):
    """The text followed by blanks up to `columns`; a longer text is kept whole."""
    return text + " " * max(0, columns - width(text))
