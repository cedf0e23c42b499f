"""Formats generated code the way the project's own code is formatted: the compiler prints
finished text rather than calling a formatter, so the text, and every __LINE__ in it, is the same
on every machine."""

import re

from templates import COLUMN_LIMIT


def formatted(text):
    """Top-level definitions one blank line apart and long statements wrapped. The generator
    formats its own output, so the text (and every __LINE__ in it) is the same on every machine."""
    text = re.sub(r"^(}|};)\n(?=[^\n}])", r"\1\n\n", text, flags=re.MULTILINE)
    return "".join(wrapped(line) for line in joined_statements(text))


def joined_statements(text):
    """The lines of the text, with a parenthesis left open at the end of a line joined to the
    lines that close it, so that the whole statement is wrapped at once."""
    pending = ""
    for line in text.splitlines(True):
        if pending:
            line = pending.rstrip("\n") + " " + line.lstrip(" ")
        if _parenthesis_depth(line) > 0 and not line.rstrip().endswith("{"):
            pending = line
            continue
        pending = ""
        yield line
    if pending:
        yield pending


def _parenthesis_depth(line):
    depth, in_string = 0, False
    for position, char in enumerate(line):
        if char == '"' and line[position - 1:position] != "\\":
            in_string = not in_string
        elif not in_string and char in "()":
            depth += 1 if char == "(" else -1
    return depth


def wrapped(line):
    pieces = _wrapped(line, bracket_first=False)
    if any(len(piece) > COLUMN_LIMIT for piece in pieces):
        pieces = _wrapped(line, bracket_first=True)
    return "\n".join(pieces) + "\n" if len(pieces) > 1 else line


def _wrapped(line, bracket_first):
    """A line longer than the limit, broken after the last comma that fits at the outermost depth
    that has one, the rest aligned after the comma's open bracket; without such a comma, after the
    last open bracket that fits, with a continuation indent; a signature whose name is too long,
    after its return type. That is how the project's formatting breaks what generated code makes
    long: argument lists, initialisers and qualified signatures."""
    text = line.rstrip("\n")
    if len(text) <= COLUMN_LIMIT:
        return [text]
    indent = len(text) - len(text.lstrip(" "))
    # Each break: (break after, the open bracket it belongs to, depth); a bracket's continuation
    # column is just after it, or the continuation indent once the line is broken after it.
    commas, brackets, spaces = [], [], []
    open_columns, in_string = [], False
    for position, char in enumerate(text):
        following = text[position + 1:position + 2]
        if char == '"' and text[position - 1] != "\\":
            in_string = not in_string
        elif in_string:
            continue
        elif char in "({":
            open_columns.append(position + 1)
            if following not in (")", "}"):
                brackets.append((position + 1, None, 0))
        elif char in ")}" and open_columns:
            open_columns.pop()
        elif char == "," and following == " ":
            commas.append((position + 1, open_columns[-1] if open_columns else None,
                           len(open_columns)))
        elif char == " " and position > indent and not open_columns and "(" not in text[:position]:
            spaces.append((position, "return type", 0))
    continuation = {None: indent + 4, "return type": indent}
    pieces, start, column = [], 0, 0
    while column + len(text) - start > COLUMN_LIMIT:
        def column_of(bracket):
            return continuation.get(bracket, bracket)

        def next_piece(cut):
            return min([b[0] for b in commas if b[0] > cut] + [len(text)]) - cut

        def fitting(breaks, look_ahead=False):
            found = [b for b in breaks if start < b[0] <= start + COLUMN_LIMIT - column
                     and column_of(b[1]) < b[0] - start + column
                     and (not look_ahead or column_of(b[1]) + next_piece(b[0]) <= COLUMN_LIMIT)]
            outermost = min((b[2] for b in found), default=0)
            return [b for b in found if b[2] == outermost]

        order = (("comma", commas), ("bracket", brackets), ("type", spaces))
        if bracket_first and not pieces and brackets and brackets[0][0] <= COLUMN_LIMIT:
            order = (("bracket", brackets[:1]),) + order
        for kind, breaks in order:
            chosen = fitting(breaks, look_ahead=kind == "comma")
            if chosen:
                break
        else:
            break
        cut, bracket, _ = chosen[-1]
        if kind == "bracket":
            continuation[cut] = indent + 4
        pieces.append(" " * column + text[start:cut].lstrip(" ") if column else text[start:cut])
        start, column = cut, column_of(bracket)
        while text[start:start + 1] == " ":
            start += 1
    pieces.append(" " * column + text[start:] if column else text[start:])
    return pieces
