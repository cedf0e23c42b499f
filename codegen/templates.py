"""Code templates with named substitutions: $name$ stands for a variable, $$ for a dollar sign."""

import re
import textwrap

# The width that generated code keeps to, as the project's formatting does.
COLUMN_LIMIT = 100

_VARIABLE = re.compile(r"\$(\w*)\$")


def render(template, **variables):
    """The template, dedented, with every $name$ replaced; a missing variable is a bug."""

    def substitute(match):
        name = match.group(1)
        if not name:
            return "$"
        return str(variables[name])

    return _VARIABLE.sub(substitute, textwrap.dedent(template).strip("\n") + "\n")


def indent(text, levels=1):
    """Indents every non-empty line by four spaces per level."""
    pad = "    " * levels
    return "".join(pad + line if line.strip() else line for line in text.splitlines(True))


def join(parts):
    return "".join(part for part in parts if part)


def member_function(signature, statements, indent_width):
    """A member function defined in a class body indented by indent_width, on one line when it
    fits there."""
    one_line = f"{signature} {{ {' '.join(statements)} }}"
    if indent_width + len(one_line) <= COLUMN_LIMIT:
        return one_line + "\n"
    body = "".join(f"    {statement}\n" for statement in statements)
    return f"{signature} {{\n{body}}}\n"


class Printer:
    """An emitter's printing: templates with its variables (self.v), and member functions
    defined in the body of the class it prints into (self.body_indent())."""

    def r(self, template, **extra):
        return render(template, **{**self.v, **extra})

    def inline(self, signature, *statements, **extra):
        return member_function(self.r(signature, **extra).strip(),
                               [self.r(statement, **extra).strip() for statement in statements],
                               self.body_indent())
