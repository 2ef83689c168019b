#!/usr/bin/env python3
"""Authoring script for Paperlune's pictures.

Writes the SVG sources next to itself; the build renders those SVGs (it never
runs this script). Re-run it after changing a picture here, then look at the
contact sheet. Everything is seeded, so the output is the same on every run.

Text areas the game draws on are kept plain: see the comments at each picture.
"""
import math
import os
import random

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 640, 480

# Palette: lamplit paper, walnut desk, ink, night blue, wax red.
IVORY = "#f8f2e5"        # text-bearing paper; luminance ~0.89
IVORY_WARM = "#f4ead6"
PAPER_SHADE = "#d8c8a6"
INK = "#2b2220"
INK_BLUE = "#27324a"
SEPIA = "#8a6a45"
WAX = "#8c2b27"
WALNUT = "#4a2f1e"
WALNUT_DARK = "#2a1a10"
OAK = "#8a6440"
NIGHT = "#151b2b"
NIGHT_SKY = "#243150"
LAMP = "#ffd38a"
MOON = "#f1e7cc"
# Vollkorn, the face the game draws its own text in; it has no light weight,
# so the lighter lines keep their size and colour in the regular one.
SERIF = "Vollkorn"
SERIF_LIGHT = "Vollkorn"

# ---------------------------------------------------------------- document

_defs = []
_ids = [0]


def new_id(prefix):
    _ids[0] += 1
    return "%s%d" % (prefix, _ids[0])


def define(text):
    _defs.append(text)


def write(name, body, width=W, height=H, note="", where=HERE):
    head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<!-- Paperlune: %s. Written by draw.py; edit there. -->\n' % note)
    svg = ('%s<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
           'viewBox="0 0 %d %d">\n<defs>\n%s\n</defs>\n%s\n</svg>\n'
           % (head, width, height, width, height, "\n".join(_defs), body))
    with open(os.path.join(where, name + ".svg"), "w") as f:
        f.write(svg)
    del _defs[:]
    _ids[0] = 0


def f2(v):
    return ("%.2f" % v).rstrip("0").rstrip(".")


def attrs(**kw):
    out = []
    for k, v in kw.items():
        if v is None:
            continue
        k = k.rstrip("_").replace("_", "-")
        out.append('%s="%s"' % (k, f2(v) if isinstance(v, float) else v))
    return " ".join(out)


def rect(x, y, w, h, **kw):
    return "<rect %s %s/>" % (attrs(x=x, y=y, width=w, height=h), attrs(**kw))


def circle(cx, cy, r, **kw):
    return "<circle %s %s/>" % (attrs(cx=cx, cy=cy, r=r), attrs(**kw))


def ellipse(cx, cy, rx, ry, **kw):
    return "<ellipse %s %s/>" % (attrs(cx=cx, cy=cy, rx=rx, ry=ry), attrs(**kw))


def path(d, **kw):
    return '<path d="%s" %s/>' % (d, attrs(**kw))


def line(x1, y1, x2, y2, **kw):
    return "<line %s %s/>" % (attrs(x1=x1, y1=y1, x2=x2, y2=y2), attrs(**kw))


def poly(points, **kw):
    pts = " ".join("%s,%s" % (f2(x), f2(y)) for x, y in points)
    return '<polygon points="%s" %s/>' % (pts, attrs(**kw))


def group(items, **kw):
    return "<g %s>\n%s\n</g>" % (attrs(**kw), "\n".join(items))


def text(x, y, s, size, fill=INK, family=SERIF, anchor="start", italic=False,
         spacing=None, opacity=None, weight=None):
    s = s.replace("&", "&amp;").replace("<", "&lt;")
    return "<text %s>%s</text>" % (attrs(
        x=x, y=y, font_family=family, font_size=size, fill=fill,
        text_anchor=anchor, font_style="italic" if italic else None,
        letter_spacing=spacing, opacity=opacity, font_weight=weight), s)


# ---------------------------------------------------------------- paint

def linear(stops, x1=0, y1=0, x2=0, y2=1, units=None):
    gid = new_id("lg")
    st = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>'
                 % (f2(o), c, f2(a)) for o, c, a in stops)
    define('<linearGradient id="%s" %s>%s</linearGradient>'
           % (gid, attrs(x1=x1, y1=y1, x2=x2, y2=y2, gradientUnits=units), st))
    return "url(#%s)" % gid


def radial(stops, cx=0.5, cy=0.5, r=0.5, fx=None, fy=None, units=None):
    gid = new_id("rg")
    st = "".join('<stop offset="%s" stop-color="%s" stop-opacity="%s"/>'
                 % (f2(o), c, f2(a)) for o, c, a in stops)
    define('<radialGradient id="%s" %s>%s</radialGradient>'
           % (gid, attrs(cx=cx, cy=cy, r=r, fx=fx, fy=fy, gradientUnits=units), st))
    return "url(#%s)" % gid


def blur_filter(sd):
    fid = new_id("bl")
    define('<filter id="%s" x="-50%%" y="-50%%" width="200%%" height="200%%">'
           '<feGaussianBlur stdDeviation="%s"/></filter>' % (fid, f2(sd)))
    return "url(#%s)" % fid


def noise_filter(freq, octaves, seed, color, gain, bias, kind="fractalNoise"):
    """Noise as a single colour whose alpha is gain * noise + bias."""
    fid = new_id("nz")
    r, g, b = [int(color[i:i + 2], 16) / 255.0 for i in (1, 3, 5)]
    define('<filter id="%s" x="0" y="0" width="1" height="1" color-interpolation-filters="sRGB">'
           '<feTurbulence type="%s" baseFrequency="%s" numOctaves="%d" seed="%d"/>'
           '<feColorMatrix type="matrix" values="0 0 0 0 %s  0 0 0 0 %s  0 0 0 0 %s  %s 0 0 0 %s"/>'
           '</filter>' % (fid, kind, freq, octaves, seed, f2(r), f2(g), f2(b), f2(gain), f2(bias)))
    return "url(#%s)" % fid


def noise(x, y, w, h, freq, octaves, seed, color, gain, bias, kind="fractalNoise", **kw):
    return rect(x, y, w, h, fill="#000",
                filter=noise_filter(freq, octaves, seed, color, gain, bias, kind), **kw)


def clip_rect(x, y, w, h, rx=0):
    cid = new_id("cp")
    define('<clipPath id="%s">%s</clipPath>' % (cid, rect(x, y, w, h, rx=rx)))
    return "url(#%s)" % cid


def clip_path(d):
    cid = new_id("cp")
    define('<clipPath id="%s">%s</clipPath>' % (cid, path(d)))
    return "url(#%s)" % cid


# ---------------------------------------------------------------- pieces

def wood(x, y, w, h, base, seed, grain=0.55, plank=0):
    """A desk top with horizontal grain and, optionally, plank seams."""
    out = [rect(x, y, w, h, fill=base),
           noise(x, y, w, h, "0.0025 0.055", 4, seed, WALNUT_DARK, 2.4 * grain, -0.75 * grain),
           noise(x, y, w, h, "0.01 0.4", 2, seed + 1, WALNUT_DARK, 0.9 * grain, -0.28 * grain),
           noise(x, y, w, h, "0.004 0.03", 3, seed + 2, "#c08a52", 0.5 * grain, -0.2 * grain)]
    if plank:
        yy = y + plank
        while yy < y + h:
            out.append(rect(x, yy - 1, w, 2, fill=WALNUT_DARK, opacity=0.55))
            out.append(rect(x, yy + 1, w, 1, fill="#c9a070", opacity=0.12))
            yy += plank
    return "\n".join(out)


def paper(x, y, w, h, seed, base=IVORY, shadow=0.5, grain=1.0, rx=1, edge=True):
    """A sheet lying on something darker: soft shadow, fibre grain, faint mottling."""
    out = []
    if shadow:
        out.append(rect(x + 3, y + 5, w, h, fill="#000", opacity=shadow, filter=blur_filter(5)))
    out.append(rect(x, y, w, h, fill=base, rx=rx))
    out.append(noise(x, y, w, h, "0.85", 2, seed, "#6b5a3e", 0.16 * grain, -0.06 * grain))
    out.append(noise(x, y, w, h, "0.012", 3, seed + 7, "#a88d5e", 0.16 * grain, -0.07 * grain))
    if edge:
        # aged rim: slightly darker towards the edges, never reaching the middle
        out.append(rect(x, y, w, h, fill="none", stroke="#b9a27a", stroke_width=6,
                        opacity=0.35, filter=blur_filter(3), clip_path=clip_rect(x, y, w, h)))
    return "\n".join(out)


def glow(cx, cy, r, color=LAMP, opacity=0.6):
    return circle(cx, cy, r, fill=radial([(0, color, opacity), (0.35, color, opacity * 0.45),
                                          (1, color, 0)]))


def vignette(strength=0.6, color="#000", cx=0.5, cy=0.5, r=0.75, inner=0.72):
    return rect(0, 0, W, H, fill=radial([(0, color, 0), (inner, color, 0), (1, color, strength)],
                                          cx=cx, cy=cy, r=r))


def crescent(cx, cy, r, cut_dx, cut_dy, cut_r, fill, **kw):
    """A moon shape: a disc with an offset disc taken out of it."""
    mid = new_id("mk")
    define('<mask id="%s" maskUnits="userSpaceOnUse" x="%s" y="%s" width="%s" height="%s">'
           '%s%s</mask>' % (mid, f2(cx - r - 2), f2(cy - r - 2), f2(2 * r + 4), f2(2 * r + 4),
                           circle(cx, cy, r + 1, fill="#fff"),
                           circle(cx + cut_dx, cy + cut_dy, cut_r, fill="#000")))
    return circle(cx, cy, r, fill=fill, mask="url(#%s)" % mid, **kw)


def stars(seed, count, x0, y0, x1, y1, color="#f3ead0", rmax=1.3):
    rnd = random.Random(seed)
    out = []
    for _ in range(count):
        x, y = rnd.uniform(x0, x1), rnd.uniform(y0, y1)
        r = rnd.uniform(0.4, rmax)
        out.append(circle(x, y, r, fill=color, opacity=f2(rnd.uniform(0.35, 0.95))))
    return "\n".join(out)


def wax_seal(cx, cy, r, color=WAX):
    """A round seal pressed with a crescent."""
    blob = []
    rnd = random.Random(int(cx * 7 + cy))
    for i in range(14):
        a = i * 2 * math.pi / 14
        rr = r * rnd.uniform(1.0, 1.12)
        blob.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return "\n".join([
        poly(blob, fill=color, stroke=color, stroke_width=2, stroke_linejoin="round"),
        circle(cx, cy, r * 0.74, fill="none", stroke="#5c1a17", stroke_width=max(1, r * 0.08)),
        crescent(cx - r * 0.05, cy, r * 0.5, r * 0.24, -r * 0.1, r * 0.42, "#b8504a"),
        circle(cx - r * 0.35, cy - r * 0.4, r * 0.18, fill="#fff", opacity=0.18),
    ])


def envelope(cx, cy, w, h, rot=0, color="#efe3c8", seal=True, address=False, seed=1,
             flap_open=False, shadow=0.45):
    """The back of an envelope (flap side), or the front with address lines."""
    x, y = -w / 2, -h / 2
    out = []
    if shadow:
        out.append(rect(x + 3, y + 4, w, h, fill="#000", opacity=shadow, filter=blur_filter(4)))
    out.append(rect(x, y, w, h, fill=color, rx=2))
    out.append(noise(x, y, w, h, "0.9", 2, seed, "#6b5a3e", 0.14, -0.05))
    out.append(rect(x, y, w, h, fill=linear([(0, "#fff", 0.12), (1, "#000", 0.10)]), rx=2))
    if isinstance(address, str):
        out.append(text(x + w * 0.5, y + h * 0.62, address, h * 0.2, fill=INK_BLUE, anchor="middle",
                        italic=True))
        out.append(path("M%s,%s q%s,4 %s,0" % (f2(x + w * 0.3), f2(y + h * 0.7), f2(w * 0.2), f2(w * 0.4)),
                        fill="none", stroke=INK_BLUE, stroke_width=1, opacity=0.7))
    if address:
        rnd = random.Random(seed)
        for i in range(3 if address is True else 0):
            lw = w * rnd.uniform(0.32, 0.45)
            ly = y + h * (0.5 + 0.13 * i)
            lx = x + w * 0.42 + (i * 6)
            out.append(path("M%s,%s q%s,-3 %s,0 t%s,0" % (f2(lx), f2(ly), f2(lw / 4), f2(lw / 2),
                                                         f2(lw / 2)),
                            fill="none", stroke=INK_BLUE, stroke_width=1.4, opacity=0.8,
                            stroke_linecap="round"))
        out.append(rect(x + w * 0.8, y + h * 0.1, w * 0.12, h * 0.2, fill="#9b4a3a", opacity=0.85))
        out.append(rect(x + w * 0.8 + 2, y + h * 0.1 + 2, w * 0.12 - 4, h * 0.2 - 4, fill="none",
                        stroke="#f2e2c8", stroke_width=1, stroke_dasharray="2,1"))
    else:
        fold = "#c9b48c"
        out.append(path("M%s,%s L0,%s L%s,%s" % (f2(x), f2(y + h), f2(-h * 0.05), f2(-x), f2(y + h)),
                        fill="none", stroke=fold, stroke_width=1.2))
        if flap_open:
            out.append(poly([(x, y), (-x, y), (0, y - h * 0.55)], fill=color,
                            stroke=fold, stroke_width=1))
        else:
            out.append(poly([(x, y), (-x, y), (0, y + h * 0.58)], fill=color,
                            stroke=fold, stroke_width=1.2))
            out.append(poly([(x, y), (-x, y), (0, y + h * 0.58)],
                            fill=linear([(0, "#000", 0.0), (1, "#000", 0.10)])))
            if seal:
                out.append(wax_seal(0, y + h * 0.55, min(w, h) * 0.13))
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(cx), f2(cy), f2(rot)))


def candle(cx, base, height, width=30, flame=1.0, melt=0.0, glow_r=110, color="#efe4c9"):
    """A candle in a brass dish; flame scales the flame, melt adds drips."""
    top = base - height
    out = []
    if flame > 0 and glow_r:
        out.append(glow(cx, top - 14 * flame, glow_r * flame, "#ffdc96", 0.8))
    # dish
    out.append(ellipse(cx, base + 4, width * 1.5, 7, fill="#6d5124"))
    out.append(ellipse(cx, base + 1, width * 1.45, 6, fill="#b58a3e"))
    out.append(ellipse(cx, base, width * 1.1, 4, fill="#8c6a2c"))
    # body with light from the flame side
    body = linear([(0, "#c9b890", 1), (0.35, color, 1), (0.7, color, 1), (1, "#a8967a", 1)],
                  x1=0, y1=0, x2=1, y2=0)
    out.append(rect(cx - width / 2, top, width, height, fill=body))
    out.append(ellipse(cx, top, width / 2, 4, fill="#f7eedb"))
    if melt:
        rnd = random.Random(int(height))
        for i in range(3):
            dx = rnd.uniform(-width / 2 + 4, width / 2 - 4)
            dl = melt * rnd.uniform(10, 28)
            out.append(path("M%s,%s v%s a3,3 0 0 0 6,0 v%s z" % (
                f2(cx + dx - 3), f2(top), f2(dl), f2(-dl)), fill="#f4ead2"))
    # wick and flame
    out.append(line(cx, top - 1, cx, top - 7, stroke="#2a2018", stroke_width=1.6))
    if flame > 0:
        fh, fw = 26 * flame, 8 * flame
        ft = top - 5
        out.append(path("M%s,%s c%s,%s %s,%s 0,%s c%s,%s %s,%s 0,%s z" % (
            f2(cx), f2(ft), f2(-fw), f2(-fh * 0.25), f2(-fw * 0.3), f2(-fh * 0.7), f2(-fh),
            f2(fw * 0.3), f2(fh * 0.3), f2(fw), f2(fh * 0.75), f2(fh)),
            fill=radial([(0, "#fff6d8", 1), (0.5, "#ffd36b", 1), (1, "#f08a24", 0.9)],
                        cx=0.5, cy=0.75, r=0.6)))
        out.append(ellipse(cx, ft - 4 * flame, 2.2 * flame, 5 * flame, fill="#5a7dc8", opacity=0.5))
    return "\n".join(out)


def pen(x, y, length, rot, body="#1f3a33", band="#c9a44c"):
    """A fountain pen, nib pointing along +x from (x, y)."""
    t = 13
    out = [
        rect(6, -t / 2 + 5, length, t, rx=t / 2, fill="#000", opacity=0.35, filter=blur_filter(3)),
        path("M0,0 L22,-4.5 L30,-5 L30,5 L22,4.5 Z", fill="#c9a44c"),
        line(3, 0, 22, 0, stroke="#6b5420", stroke_width=0.8),
        rect(28, -t / 2, length * 0.42, t, rx=3, fill=body),
        rect(28 + length * 0.42, -t / 2 - 0.5, 6, t + 1, fill=band),
        rect(34 + length * 0.42, -t / 2 - 0.5, length * 0.52, t + 1, rx=t / 2, fill=body),
        rect(40 + length * 0.5, -t / 2 - 3, length * 0.34, 3.5, rx=1.5, fill=band),
        rect(28, -t / 2 + 1.5, length * 0.98, 3, rx=1.5, fill="#fff", opacity=0.18),
    ]
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(x), f2(y), f2(rot)))


def moon_doodle(cx, cy, r, color=SEPIA):
    """A small ink sketch of the moon and two stars, as drawn in a margin."""
    out = [path("M%s,%s A%s,%s 0 1 0 %s,%s A%s,%s 0 0 1 %s,%s" % (
        f2(cx + r * 0.35), f2(cy - r * 0.94), f2(r), f2(r), f2(cx + r * 0.35), f2(cy + r * 0.94),
        f2(r * 0.95), f2(r * 0.95), f2(cx + r * 0.35), f2(cy - r * 0.94)),
        fill="none", stroke=color, stroke_width=1.3, opacity=0.55, stroke_linecap="round")]
    for sx, sy, sr in ((cx + r * 1.6, cy - r * 0.6, 4), (cx + r * 1.2, cy + r * 0.9, 2.6)):
        out.append(path("M%s,%s l0,%s M%s,%s l%s,0" % (f2(sx), f2(sy - sr), f2(2 * sr),
                                                     f2(sx - sr), f2(sy), f2(2 * sr)),
                        stroke=color, stroke_width=1.1, opacity=0.55, stroke_linecap="round"))
    return "\n".join(out)


def platen(x0, x1, y):
    """The typewriter's rubber roller across the foot of the sheet, with its bail and knob."""
    out = [
        rect(x0, y - 6, x1 - x0, 40, fill="#000", opacity=0.4, filter=blur_filter(4)),
        rect(x0, y, x1 - x0, 34, fill=linear([(0, "#3a3836", 1), (0.25, "#6b6864", 1),
                                              (0.5, "#24221f", 1), (1, "#0d0c0b", 1)])),
        rect(x0, y - 9, x1 - x0, 4, fill=linear([(0, "#e8e6e0", 1), (1, "#8a8780", 1)])),
        rect(x0, y - 5, x1 - x0, 1, fill="#000", opacity=0.35),
    ]
    for rx in (x0 + 70, x1 - 90):
        out.append(rect(rx, y - 11, 22, 10, rx=4, fill=linear([(0, "#f2f0ea", 1), (1, "#7c7870", 1)])))
    # the knob at the right end of the carriage
    kx = x1
    out.append(rect(kx, y - 2, 14, 38, fill=linear([(0, "#9c978c", 1), (1, "#3e3b36", 1)], 0, 0, 1, 0)))
    out.append(rect(kx + 14, y - 8, 26, 50, rx=6, fill=linear([(0, "#2c2a27", 1), (0.4, "#55514b", 1),
                                                             (1, "#141311", 1)], 0, 0, 1, 0)))
    for i in range(6):
        out.append(line(kx + 17 + i * 4, y - 6, kx + 17 + i * 4, y + 40, stroke="#000", opacity=0.35))
    return "\n".join(out)



def hourglass(cx, top, bottom, sand_top, sand_bottom, trickle=True):
    """Sand glass between two turned caps. sand_* are 0..1 fill levels of the bulbs."""
    w = 44
    mid = (top + bottom) / 2
    gt, gb = top + 14, bottom - 14
    bulb = ("M%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s "
            "L%s,%s C%s,%s %s,%s %s,%s C%s,%s %s,%s %s,%s Z") % tuple(map(f2, (
                cx - w + 4, gt,
                cx - w, gt + 70, cx - 5, mid - 22, cx - 3, mid,
                cx - 5, mid + 22, cx - w, gb - 70, cx - w + 4, gb,
                cx + w - 4, gb,
                cx + w, gb - 70, cx + 5, mid + 22, cx + 3, mid,
                cx + 5, mid - 22, cx + w, gt + 70, cx + w - 4, gt)))
    clip = clip_path(bulb)
    sand = "#d8ac62"
    out = [ellipse(cx, bottom + 4, 66, 9, fill="#000", opacity=0.35, filter=blur_filter(4))]
    out.append(path(bulb, fill="#fff", opacity=0.16))
    top_level = mid - 6 - (mid - gt - 10) * sand_top
    inner = []
    if sand_top > 0:
        inner.append(path("M%s,%s Q%s,%s %s,%s L%s,%s L%s,%s Z" % tuple(map(f2, (
            cx - w, top_level, cx, top_level + 10, cx + w, top_level, cx + w, mid, cx - w, mid))),
            fill=sand))
    pile = (gb - mid - 10) * sand_bottom
    if sand_bottom > 0:
        inner.append(path("M%s,%s L%s,%s Q%s,%s %s,%s Q%s,%s %s,%s L%s,%s Z" % tuple(map(f2, (
            cx - w, gb, cx - w, gb - pile * 0.3, cx - w * 0.45, gb - pile, cx, gb - pile,
            cx + w * 0.45, gb - pile, cx + w, gb - pile * 0.3, cx + w, gb))), fill=sand))
        inner.append(path("M%s,%s Q%s,%s %s,%s" % tuple(map(f2, (
            cx - w * 0.7, gb - pile * 0.55, cx - w * 0.35, gb - pile * 0.95, cx, gb - pile))),
            fill="none", stroke="#f0cf8e", stroke_width=1.2, opacity=0.8))
    if trickle and sand_top > 0:
        inner.append(line(cx, mid - 4, cx, gb - pile, stroke=sand, stroke_width=1.6))
    out.append(group(inner, clip_path=clip))
    # glass highlights
    out.append(path(bulb, fill="none", stroke="#f8f4ea", stroke_width=1.6, opacity=0.75))
    out.append(path("M%s,%s C%s,%s %s,%s %s,%s" % tuple(map(f2, (
        cx - w + 12, gt + 10, cx - w + 8, gt + 50, cx - 18, mid - 30, cx - 10, mid - 12))),
        fill="none", stroke="#fff", stroke_width=3, opacity=0.45, stroke_linecap="round"))
    # turned pillars and caps
    wood_fill = linear([(0, "#5a3820", 1), (0.45, "#a8784a", 1), (1, "#3c2414", 1)], 0, 0, 1, 0)
    for px in (cx - w - 10, cx + w + 10):
        out.append(rect(px - 4, top + 10, 8, bottom - top - 20, fill=wood_fill, rx=3))
        for k in (0.25, 0.5, 0.75):
            yy = top + (bottom - top) * k
            out.append(ellipse(px, yy, 6.5, 4, fill=wood_fill))
    cap = linear([(0, "#b7875a", 1), (0.5, "#7a5030", 1), (1, "#432818", 1)])
    for cy_ in (top, bottom - 14):
        out.append(rect(cx - w - 22, cy_, 2 * w + 44, 14, rx=4, fill=cap))
        out.append(rect(cx - w - 22, cy_ + 2, 2 * w + 44, 2, fill="#fff", opacity=0.18))
    return "\n".join(out)


def oil_lamp(cx, base, oil, flame, glow_r):
    """A brass oil lamp: oil is the level in the glass font (0..1), flame its size."""
    out = []
    if flame > 0:
        out.append(glow(cx, base - 150, glow_r, "#ffcf7a", 0.5 + 0.2 * flame))
    out.append(ellipse(cx, base + 4, 62, 9, fill="#000", opacity=0.4, filter=blur_filter(4)))
    brass = linear([(0, "#6f4f1c", 1), (0.35, "#e0b85e", 1), (0.55, "#b48a36", 1), (1, "#4a3210", 1)],
                   0, 0, 1, 0)
    out.append(ellipse(cx, base - 3, 54, 9, fill=brass))
    out.append(path("M%s,%s C%s,%s %s,%s %s,%s L%s,%s C%s,%s %s,%s %s,%s Z" % tuple(map(f2, (
        cx - 50, base - 5, cx - 46, base - 26, cx - 16, base - 22, cx - 12, base - 40,
        cx + 12, base - 40, cx + 16, base - 22, cx + 46, base - 26, cx + 50, base - 5))), fill=brass))
    out.append(ellipse(cx, base - 40, 13, 4, fill="#e8c36a"))
    # the glass font with its oil
    fy = base - 78
    out.append(ellipse(cx, fy, 40, 38, fill="#f4e6c8", opacity=0.25))
    if oil > 0:
        level = fy + 34 - 66 * oil
        out.append(group([rect(cx - 42, level, 84, 80, fill="#b8862e", opacity=0.8)],
                         clip_path=clip_path("M%s,%s a40,38 0 1 0 80,0 a40,38 0 1 0 -80,0 Z" % (
                             f2(cx - 40), f2(fy)))))
    out.append(ellipse(cx, fy, 40, 38, fill="none", stroke="#fff8e6", stroke_width=1.4, opacity=0.7))
    out.append(path("M%s,%s q-6,16 2,34" % (f2(cx - 26), f2(fy - 20)), fill="none", stroke="#fff",
                    stroke_width=3, opacity=0.4, stroke_linecap="round"))
    # burner collar and chimney
    out.append(rect(cx - 22, fy - 48, 44, 12, rx=2, fill=brass))
    out.append(rect(cx - 16, fy - 56, 32, 8, fill=brass))
    ch_top, ch_bot = fy - 150, fy - 56
    chim = "M%s,%s C%s,%s %s,%s %s,%s L%s,%s L%s,%s L%s,%s C%s,%s %s,%s %s,%s Z" % tuple(map(f2, (
        cx - 16, ch_bot, cx - 30, ch_bot - 20, cx - 30, ch_bot - 52, cx - 12, ch_bot - 62,
        cx - 12, ch_top, cx + 12, ch_top, cx + 12, ch_bot - 62,
        cx + 30, ch_bot - 52, cx + 30, ch_bot - 20, cx + 16, ch_bot)))
    if flame > 0:
        fh = 36 * flame
        out.append(path("M%s,%s c-%s,-%s -%s,-%s 0,-%s c%s,%s %s,%s 0,%s z" % tuple(map(f2, (
            cx, ch_bot - 4, 9 * flame, fh * 0.3, 3 * flame, fh * 0.75, fh, 3 * flame, fh * 0.25,
            9 * flame, fh * 0.7, fh))),
            fill=radial([(0, "#fffbe8", 1), (0.5, "#ffd670", 1), (1, "#f09030", 0.9)],
                        cx=0.5, cy=0.8, r=0.6)))
    out.append(path(chim, fill="#fff6e0", opacity=0.14))
    out.append(path(chim, fill="none", stroke="#fffaf0", stroke_width=1.2, opacity=0.6))
    out.append(line(cx - 7, ch_top + 6, cx - 7, ch_bot - 66, stroke="#fff", stroke_width=2.5,
                    opacity=0.35, stroke_linecap="round"))
    # knob for the wick
    out.append(rect(cx + 22, fy - 46, 14, 5, fill=brass))
    out.append(circle(cx + 40, fy - 43.5, 6, fill=brass))
    return "\n".join(out)


def paper_moon(cx, cy, r, phase, thread_top, color="#efe3c2", glow_r=0):
    """A moon cut from card, hung on a thread; phase 1 is full, small values a thin crescent."""
    out = []
    if glow_r:
        out.append(glow(cx, cy, glow_r, "#e9efff", 0.28))
    if thread_top is not None:
        out.append(line(cx, thread_top, cx, cy - r + 2, stroke="#d8d0bc", stroke_width=1, opacity=0.9))
    shade = "#c9b88f"
    if phase >= 1:
        disc = [circle(cx, cy, r, fill=color),
                circle(cx, cy, r, fill=radial([(0, "#fff", 0.0), (0.75, "#000", 0.0), (1, "#000", 0.18)],
                                              cx=0.45, cy=0.42, r=0.6)),
                path("M%s,%s L%s,%s" % (f2(cx - r * 0.7), f2(cy - r * 0.7), f2(cx + r * 0.7),
                                          f2(cy + r * 0.7)),
                     stroke=shade, stroke_width=1, opacity=0.7),
                path("M%s,%s L%s,%s" % (f2(cx - r), f2(cy + 4), f2(cx + r), f2(cy - 4)),
                     stroke=shade, stroke_width=1, opacity=0.5)]
        for (dx, dy, rr) in ((-0.3, -0.25, 0.16), (0.28, 0.2, 0.22), (-0.15, 0.45, 0.1), (0.35, -0.4, 0.09)):
            disc.append(circle(cx + dx * r, cy + dy * r, rr * r, fill=shade, opacity=0.45))
        disc.append(circle(cx, cy, r - 4, fill="none", stroke=shade, stroke_width=1.2,
                           stroke_dasharray="3,4", opacity=0.8))
        out += disc
    else:
        cut = r * (0.35 + 1.1 * (1 - phase))
        out.append(crescent(cx, cy, r, cut, -r * 0.05, r * 1.02, color))
        out.append(crescent(cx, cy, r - 4, cut, -r * 0.05, r * 1.02 + 3, "none", stroke=shade,
                            stroke_width=1.2, stroke_dasharray="3,4", opacity=0.8))
    return "\n".join(out)


def teacup(cx, base, steam=True, color="#f2ece0"):
    out = [ellipse(cx, base + 2, 48, 10, fill="#000", opacity=0.35, filter=blur_filter(3)),
           ellipse(cx, base, 46, 9, fill="#d9d0be"),
           ellipse(cx, base - 2, 38, 6, fill="#efe8da"),
           path("M%s,%s C%s,%s %s,%s %s,%s L%s,%s C%s,%s %s,%s %s,%s Z" % tuple(map(f2, (
               cx - 30, base - 40, cx - 30, base - 14, cx - 18, base - 4, cx, base - 4,
               cx, base - 4, cx + 18, base - 4, cx + 30, base - 14, cx + 30, base - 40))),
               fill=linear([(0, "#bdb3a0", 1), (0.35, color, 1), (1, "#a99d88", 1)], 0, 0, 1, 0)),
           path("M%s,%s c14,-2 14,20 -2,20" % (f2(cx + 29), f2(base - 32)), fill="none",
                stroke="#d7cfbf", stroke_width=4),
           ellipse(cx, base - 40, 30, 6, fill="#e9e2d4"),
           ellipse(cx, base - 39, 26, 4.5, fill="#7a4a22")]
    if steam:
        for i, dx in enumerate((-10, 4, 14)):
            out.append(path("M%s,%s c-10,-14 10,-22 0,-36 c-8,-12 8,-20 2,-30" % (
                f2(cx + dx), f2(base - 48)), fill="none", stroke="#fff", stroke_width=3,
                opacity=0.22 - 0.04 * i, stroke_linecap="round", filter=blur_filter(1.5)))
    return "\n".join(out)


def leaf(x, y, size, rot, color):
    """A maple-ish leaf."""
    pts = []
    for i in range(10):
        a = math.pi * 2 * i / 10 - math.pi / 2
        rr = size if i % 2 == 0 else size * 0.5
        if i in (4, 6):
            rr *= 0.8
        pts.append((rr * math.cos(a), rr * math.sin(a)))
    return group([poly(pts, fill=color, stroke=color, stroke_width=1, stroke_linejoin="round"),
                  line(0, size * 0.9, 0, -size * 0.6, stroke="#000", stroke_width=0.8, opacity=0.3),
                  line(0, size * 0.9, 0, size * 1.3, stroke=color, stroke_width=1.5)],
                 transform="translate(%s,%s) rotate(%s)" % (f2(x), f2(y), f2(rot)))


def window(x, y, w, h, sky, extra=(), bars=2, frame="#2b1c12", sill=True):
    """A window with a painted sky behind its glazing bars."""
    clip = clip_rect(x, y, w, h)
    out = [rect(x, y, w, h, fill=sky)]
    out.append(group(list(extra), clip_path=clip))
    out.append(rect(x, y, w, h, fill=linear([(0, "#fff", 0.06), (1, "#fff", 0)], 0, 0, 1, 1)))
    fw = 10
    out.append(rect(x - fw, y - fw, w + 2 * fw, h + 2 * fw, fill="none", stroke=frame, stroke_width=2 * fw))
    for i in range(1, bars):
        bx = x + w * i / bars
        out.append(rect(bx - 4, y, 8, h, fill=frame))
    out.append(rect(x, y + h * 0.5 - 4, w, 8, fill=frame))
    if sill:
        out.append(rect(x - fw - 8, y + h + fw - 2, w + 2 * fw + 16, 12, fill="#3a2616"))
        out.append(rect(x - fw - 8, y + h + fw - 2, w + 2 * fw + 16, 2, fill="#fff", opacity=0.12))
    return "\n".join(out)


def snow(seed, count, x0, y0, x1, y1):
    rnd = random.Random(seed)
    return "\n".join(circle(rnd.uniform(x0, x1), rnd.uniform(y0, y1), rnd.uniform(0.8, 2.2),
                            fill="#fff", opacity=f2(rnd.uniform(0.4, 0.9))) for _ in range(count))


def rain(seed, count, x0, y0, x1, y1, color="#cfe0ff"):
    rnd = random.Random(seed)
    out = []
    for _ in range(count):
        x, yy = rnd.uniform(x0, x1), rnd.uniform(y0, y1)
        ln = rnd.uniform(10, 26)
        out.append(line(x, yy, x - ln * 0.15, yy + ln, stroke=color, stroke_width=0.9,
                        opacity=f2(rnd.uniform(0.15, 0.45))))
    return "\n".join(out)


def drops(seed, count, x0, y0, x1, y1):
    """Rain beads running down a pane."""
    rnd = random.Random(seed)
    out = []
    for _ in range(count):
        x, yy = rnd.uniform(x0, x1), rnd.uniform(y0, y1)
        r = rnd.uniform(1.2, 3.2)
        out.append(path("M%s,%s q%s,%s 0,%s" % (f2(x), f2(yy - rnd.uniform(8, 40)), f2(r * 0.2), f2(10), f2(20)),
                        fill="none", stroke="#d8e6ff", stroke_width=0.8, opacity=0.18))
        out.append(circle(x, yy, r, fill="#dfeaff", opacity=0.35))
        out.append(circle(x - r * 0.3, yy - r * 0.3, r * 0.35, fill="#fff", opacity=0.6))
    return "\n".join(out)


def tree_crown(seed, cx, cy, rx, ry, greens, count=160):
    rnd = random.Random(seed)
    out = []
    for i in range(count):
        a = rnd.uniform(0, 2 * math.pi)
        d = math.sqrt(rnd.uniform(0, 1))
        x, y = cx + rx * d * math.cos(a), cy + ry * d * math.sin(a)
        col = greens[min(len(greens) - 1, int((y - (cy - ry)) / (2 * ry) * len(greens) * rnd.uniform(0.6, 1.1)))]
        out.append(circle(x, y, rnd.uniform(6, 16), fill=col, opacity=f2(rnd.uniform(0.7, 1))))
    return "\n".join(out)


def rose(cx, cy, size, color="#7e2a34", rot=0, stem=70):
    """A dried rose on its stem."""
    out = [path("M0,%s C%s,%s %s,%s %s,%s" % (f2(size * 0.6), f2(size * 0.5), f2(stem * 0.4),
                                               f2(-size * 0.4), f2(stem * 0.7), f2(size * 0.3), f2(stem)),
                fill="none", stroke="#4b5a34", stroke_width=3),
           path("M%s,%s q14,-8 22,4 q-12,8 -22,-4 z" % (f2(size * 0.1), f2(stem * 0.45)), fill="#5a6a3a")]
    rnd = random.Random(int(size * 13))
    for i in range(7):
        a = i * 2 * math.pi / 7 + rnd.uniform(-0.2, 0.2)
        out.append(ellipse(math.cos(a) * size * 0.35, math.sin(a) * size * 0.3, size * 0.55, size * 0.38,
                           fill=color, stroke="#4a141c", stroke_width=0.8,
                           transform="rotate(%s %s %s)" % (f2(math.degrees(a)), f2(math.cos(a) * size * 0.35),
                                                          f2(math.sin(a) * size * 0.3))))
    for i in range(3):
        out.append(circle(0, 0, size * (0.42 - i * 0.12), fill=color, stroke="#4a141c", stroke_width=0.8))
    out.append(path("M%s,0 a%s,%s 0 1 1 %s,0" % (f2(-size * 0.2), f2(size * 0.2), f2(size * 0.16), f2(size * 0.4)),
                    fill="none", stroke="#3a0e14", stroke_width=1))
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(cx), f2(cy), f2(rot)))


def ribbon_bundle(cx, cy, w, h, count, rot=0, ribbon="#7a2e36", seed=5):
    """A stack of envelopes tied with a ribbon."""
    rnd = random.Random(seed)
    out = []
    for i in range(count):
        out.append(envelope(rnd.uniform(-4, 4), -i * 5, w, h, rot=rnd.uniform(-3, 3),
                            color=["#efe3c8", "#e8dcc0", "#f2e8d2"][i % 3], seal=(i == count - 1),
                            seed=seed + i, shadow=0.3 if i else 0.5))
    top = -(count - 1) * 5
    out.append(rect(-w / 2 - 2, top - 2, w + 4, 9, fill=ribbon, opacity=0.95))
    out.append(rect(-6, top - h / 2 - 2, 12, h + count * 5 + 4, fill=ribbon, opacity=0.95))
    out.append(path("M0,%s c-24,-22 -40,0 -6,4 M0,%s c24,-22 40,0 6,4 M0,%s l-14,26 M0,%s l12,28" % (
        f2(top + 2), f2(top + 2), f2(top + 4), f2(top + 4)),
        fill="none", stroke=ribbon, stroke_width=6, stroke_linecap="round"))
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(cx), f2(cy), f2(rot)))


def crane(cx, cy, size, rot=0, color="#f3ead6", shade="#c9b68e"):
    """A folded paper bird in flight."""
    s = size
    out = [poly([(-s, -s * 0.1), (0, s * 0.15), (s * 0.2, -s * 0.05)], fill=shade),
           poly([(0, s * 0.15), (-s * 0.15, -s * 0.9), (s * 0.25, -s * 0.05)], fill=color),
           poly([(0, s * 0.15), (s * 0.35, -s * 0.75), (s * 0.3, -s * 0.02)], fill=shade),
           poly([(s * 0.2, -s * 0.05), (s * 1.05, -s * 0.35), (s * 0.9, -s * 0.2), (s * 0.3, s * 0.12)],
                fill=color),
           poly([(-s, -s * 0.1), (-s * 1.2, -s * 0.55), (-s * 0.85, -s * 0.05)], fill=color),
           poly([(s * 1.05, -s * 0.35), (s * 1.25, -s * 0.3), (s * 0.98, -s * 0.24)], fill=shade)]
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(cx), f2(cy), f2(rot)))

# ---------------------------------------------------------------- pictures

PICTURES = {}


def picture(name):
    def register(fn):
        PICTURES[name] = fn
        return fn
    return register


@picture("thoughts")
def thoughts():
    # Narration, choices and the quit dialog: text anywhere in x 20..620,
    # y 140..380 stays on plain paper; ornaments keep to the top and foot bands.
    body = [
        wood(0, 0, W, H, WALNUT, 11, plank=0),
        paper(8, 10, 624, 462, 21, base="#f9f4e9", grain=0.6),
        # evening lamp to the upper left, falling off gently across the sheet
        rect(0, 0, W, H, fill=radial([(0, LAMP, 0.10), (1, LAMP, 0)], cx=0.1, cy=0.0, r=0.9)),
        moon_doodle(580, 62, 20),
        pen(418, 446, 250, -9),
        vignette(0.5, r=0.75, inner=0.8),
    ]
    write("01_thoughts", "\n".join(body), note="narration, choice and quit backdrop")


@picture("letterpaper")
def letterpaper():
    # Received letters (up to 21 lines filling x 20..620, y 15..480) and the
    # Hall of Records: the whole sheet is text area, so only a fine frame and a
    # watermark too faint to matter.
    frame = "#c4a88a"
    body = [
        rect(0, 0, W, H, fill="#3a2618"),
        paper(3, 2, 634, 476, 31, base="#f7f0e2", shadow=0.0),
        crescent(320, 245, 150, 70, -25, 135, "#b89c70", opacity=0.07),
        rect(10, 9, 620, 462, fill="none", stroke=frame, stroke_width=1.4),
        rect(14, 13, 612, 454, fill="none", stroke=frame, stroke_width=0.7),
    ]
    for cx, cy in ((10, 9), (630, 9), (10, 471), (630, 471)):
        body.append(circle(cx, cy, 4.5, fill="#f7f0e2", stroke=frame, stroke_width=1.2))
        body.append(circle(cx, cy, 1.6, fill=frame))
    write("08_letterpaper", "\n".join(body), note="received letters and Hall of Records backdrop")


# Typing pages: the letter runs from (35, 45) for 25 lines of 15 px and up to
# 39 typewriter characters (7 px each), so x 30..315, y 40..425 is bare sheet.
# The timer sprites stand at (380, 42); the desk there is left plain and the
# sprites carry a copy of it, so they fade into the desk without a seam.
SHEET = (14, 12, 326, 450)
SPRITE_X, SPRITE_Y = 380, 42
SPRITE_W, SPRITE_H = 220, 330


def typing_page(name, note, desk, seed, light, extras, sheet="#fbf7ee", grain=0.55):
    x, y, w, h = SHEET
    body = [wood(0, 0, W, H, desk, seed, grain=grain, plank=150)]
    body += light
    body += extras
    body += [paper(x, y, w, h, seed + 3, base=sheet, grain=0.6),
             platen(0, 372, 446),
             vignette(0.5, r=0.8, inner=0.82)]
    write(name, "\n".join(body), note=note)


def sprite(name, note, items):
    """A timer sprite, drawn in screen coordinates; the build lays it on its page."""
    write(name, group(items, transform="translate(%d,%d)" % (-SPRITE_X, -SPRITE_Y)),
          SPRITE_W, SPRITE_H, note=note)


def blossom(x, y, rot):
    """A sprig of apple blossom."""
    rnd = random.Random(int(x + y))
    out = [path("M0,0 C30,-10 60,-8 110,-30", fill="none", stroke="#5a3d2a", stroke_width=3)]
    for i in range(5):
        bx, by = 20 + i * 20, -6 - i * 5 + rnd.uniform(-6, 6)
        for k in range(5):
            a = k * 2 * math.pi / 5 + rnd.uniform(0, 0.3)
            out.append(circle(bx + 5 * math.cos(a), by + 5 * math.sin(a), 4.2, fill="#fbeaf0"))
        out.append(circle(bx, by, 2, fill="#e8b04a"))
        out.append(ellipse(bx + 6, by + 8, 7, 3, fill="#7a9a4a", transform="rotate(30 %s %s)" % (
            f2(bx + 6), f2(by + 8))))
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(x), f2(y), f2(rot)))


def glasses(x, y, rot):
    out = [circle(-24, 0, 18, fill="#fff", opacity=0.08, stroke="#2a201a", stroke_width=2.5),
           circle(24, 0, 18, fill="#fff", opacity=0.08, stroke="#2a201a", stroke_width=2.5),
           path("M-7,-3 q7,-7 14,0", fill="none", stroke="#2a201a", stroke_width=2.5),
           path("M-42,-4 l-36,-14 M42,-4 l30,-22", fill="none", stroke="#2a201a", stroke_width=2.2),
           path("M-32,-8 q4,-5 10,-4 M16,-8 q4,-5 10,-4", fill="none", stroke="#fff", stroke_width=1.5,
                opacity=0.5)]
    return group(out, transform="translate(%s,%s) rotate(%s)" % (f2(x), f2(y), f2(rot)))


@picture("typing_spring")
def typing_spring():
    light = [rect(0, 0, W, H, fill=radial([(0, "#fff4d8", 0.35), (1, "#fff4d8", 0)],
                                           cx=0.95, cy=0.05, r=0.8))]
    extras = [envelope(520, 428, 150, 92, rot=-8, seed=3),
              envelope(568, 446, 150, 92, rot=5, seed=4),
              blossom(396, 420, -20)]
    typing_page("03_typing_spring", "typing page, spring morning", "#8a6440", 41, light, extras)


@picture("typing_summer")
def typing_summer():
    light = [rect(0, 0, W, H, fill=linear([(0, "#ff9a4a", 0.0), (0.55, "#ff9a4a", 0.10),
                                           (1, "#ff7a3a", 0.22)], 0, 0, 1, 0.4))]
    extras = [envelope(470, 430, 150, 92, rot=-4, seed=6, address=True),
              glasses(565, 420, 14)]
    typing_page("04_typing_summer", "typing page, summer dusk", "#7a4f30", 51, light, extras,
                sheet="#fbf5ea")


@picture("typing_autumn")
def typing_autumn():
    light = [rect(0, 0, W, H, fill=radial([(0, "#ffc070", 0.28), (1, "#ffc070", 0)],
                                           cx=0.78, cy=0.45, r=0.55)),
             rect(0, 0, W, H, fill="#1a0d05", opacity=0.18)]
    extras = [leaf(420, 440, 22, -30, "#b5522a"), leaf(460, 405, 17, 40, "#c98a2e"),
              leaf(630, 380, 20, 80, "#9c3b22"), teacup(560, 452, steam=True)]
    typing_page("05_typing_autumn", "typing page, autumn evening", "#5c3a22", 61, light, extras,
                sheet="#fbf4e8")


@picture("typing_winter")
def typing_winter():
    sky = linear([(0, "#0e1424", 1), (1, "#2a3658", 1)])
    roofs = path("M372,210 L400,190 L430,206 L430,180 L470,160 L510,184 L540,172 L580,192 L632,176 "
                 "L632,258 L372,258 Z", fill="#0a0e18")
    lit = [rect(452, 196, 8, 9, fill="#ffcf7a", opacity=0.8), rect(560, 204, 7, 8, fill="#ffcf7a", opacity=0.6)]
    light = [window(372, 8, 258, 240, sky, [stars(7, 40, 372, 8, 630, 160), roofs] + lit +
                    [snow(8, 70, 372, 8, 630, 248)], bars=2),
             # the paper moon's thread; the moon itself is the timer sprite
             line(495, 0, 495, 134, stroke="#d8d0bc", stroke_width=1, opacity=0.9),
             rect(0, 0, W, H, fill=radial([(0, "#ffcc80", 0.22), (1, "#ffcc80", 0)],
                                           cx=0.25, cy=0.5, r=0.6)),
             rect(0, 0, W, H, fill="#0a0a18", opacity=0.22)]
    extras = [ribbon_bundle(520, 428, 140, 84, 4, rot=-6)]
    typing_page("06_typing_winter", "typing page, winter night", "#4a2f1e", 71, light, extras,
                sheet="#f8f5ee")


@picture("sprites")
def sprites():
    sprite("10_hourglass_full", "timer sprite: sand glass just turned",
           [hourglass(490, 110, 340, 0.92, 0.12)])
    sprite("11_hourglass_low", "timer sprite: sand nearly run through",
           [hourglass(490, 110, 340, 0.12, 0.92)])
    sprite("12_candle_tall", "timer sprite: a fresh candle",
           [candle(490, 350, 170, 30, flame=1.0, glow_r=100)])
    sprite("13_candle_stub", "timer sprite: the candle burnt down",
           [candle(490, 350, 45, 30, flame=0.7, melt=1.0, glow_r=75)])
    sprite("14_lamp_bright", "timer sprite: oil lamp turned up",
           [oil_lamp(492, 352, 0.85, 1.0, 104)])
    sprite("15_lamp_low", "timer sprite: oil lamp nearly dry",
           [oil_lamp(492, 352, 0.12, 0.45, 62)])
    sprite("16_moon_full", "timer sprite: full paper moon",
           [paper_moon(495, 190, 60, 1.0, None, glow_r=100)])
    sprite("17_moon_crescent", "timer sprite: the paper moon waning",
           [paper_moon(495, 190, 60, 0.25, None, glow_r=70)])


def night_sky(x, y, w, h, seed, top="#0d1322", bottom="#2a3a60"):
    return [rect(x, y, w, h, fill=linear([(0, top, 1), (1, bottom, 1)])),
            stars(seed, int(w * h / 900), x, y, x + w, y + h * 0.8)]


def moon_in_sky(cx, cy, r, glow_r=None):
    return [glow(cx, cy, glow_r or r * 3, "#dfe6ff", 0.22),
            crescent(cx, cy, r, r * 0.5, -r * 0.2, r * 0.92, MOON)]


def curtain(x, y, w, h, color, side):
    """A drawn curtain with soft folds; side is -1 for the left one, 1 for the right."""
    folds = []
    n = 5
    for i in range(n):
        fx = x + w * i / n
        folds.append(rect(fx, y, w / n, h, fill=linear([(0, "#000", 0.25), (0.5, "#fff", 0.08),
                                                        (1, "#000", 0.3)], 0, 0, 1, 0)))
    shape = ("M%s,%s L%s,%s Q%s,%s %s,%s L%s,%s Z" % tuple(map(f2, (
        x, y, x + w, y, x + w - side * w * 0.1 if side > 0 else x + w, y + h * 0.6,
        x + w * (0.55 if side < 0 else 0.45), y + h, x, y + h))))
    clip = clip_path(shape)
    return group([rect(x, y, w, h, fill=color)] + folds, clip_path=clip)


@picture("menu")
def menu():
    # Credit line at (40, 50), title at (80, 150), items from (80, 250) to
    # (80, 380): they all stand on the sheet, x 30..372; the scene keeps right.
    sky = night_sky(430, 30, 190, 210, 12)
    body = [wood(0, 0, W, H, WALNUT, 81, plank=160),
            window(430, 30, 190, 210, "#101828", sky + moon_in_sky(560, 90, 26), bars=2),
            curtain(396, 12, 44, 270, "#5a2a26", -1),
            rect(0, 0, W, H, fill=radial([(0, LAMP, 0.30), (1, LAMP, 0)], cx=0.95, cy=0.85, r=0.55)),
            paper(36, 34, 342, 420, 83, base="#ebe0c8", shadow=0.4, grain=0.6),
            group([paper(22, 24, 350, 432, 84, base=IVORY)], transform="rotate(-1.2 200 240)"),
            paper(24, 26, 348, 428, 85, base=IVORY, shadow=0.0),
            # a flourish under the title
            path("M82,228 C130,218 170,236 222,226", fill="none", stroke=SEPIA, stroke_width=1.4,
                 opacity=0.7, stroke_linecap="round"),
            crescent(238, 224, 7, 3.5, -1.5, 6.2, SEPIA, opacity=0.75),
            envelope(520, 360, 170, 104, rot=-10, seed=86),
            candle(600, 440, 70, 22, flame=0.8, glow_r=90),
            pen(392, 470, 150, -8),
            vignette(0.55, r=0.78)]
    write("07_menu", "\n".join(body), note="main menu backdrop")


@picture("pause")
def pause():
    # A moment at the window between two pages; three dots say the story rests.
    sky = night_sky(190, 40, 260, 250, 21) + moon_in_sky(380, 110, 30)
    body = [rect(0, 0, W, H, fill="#1b1512"),
            rect(0, 0, W, H, fill=radial([(0, "#3a2c22", 1), (1, "#120d0a", 1)], cx=0.5, cy=0.4, r=0.7)),
            window(190, 40, 260, 250, "#101828", sky, bars=2),
            curtain(130, 20, 72, 310, "#4a2522", -1),
            curtain(438, 20, 72, 310, "#4a2522", 1),
            wood(150, 300, 340, 18, "#4a3020", 24, grain=0.4),
            teacup(250, 306, steam=True),
            envelope(390, 296, 96, 58, rot=-4, seed=25, shadow=0.3),
            vignette(0.7, r=0.8)]
    for i, x in enumerate((296, 320, 344)):
        body.append(circle(x, 400, 4.5, fill="#e9dcc0", opacity=0.85))
    write("00_pause", "\n".join(body), note="a pause in the story")


@picture("timeout")
def timeout():
    # Said in words, as nothing else on screen tells the player; a key goes on.
    body = [rect(0, 0, W, H, fill="#140f0c"),
            rect(0, 0, W, H, fill=radial([(0, "#3b2a1e", 1), (1, "#0e0a08", 1)], cx=0.5, cy=0.35, r=0.6)),
            wood(0, 250, W, 230, "#3a2414", 91, grain=0.5),
            rect(0, 250, W, 230, fill=linear([(0, "#000", 0.1), (1, "#000", 0.6)])),
            candle(320, 262, 40, 30, flame=0, melt=1.0, glow_r=0),
            path("M320,214 c-14,-18 16,-30 0,-52 c-12,-16 14,-28 4,-50 c-6,-14 10,-22 4,-36",
                 fill="none", stroke="#d8d0c4", stroke_width=3, opacity=0.35, stroke_linecap="round",
                 filter=blur_filter(2)),
            envelope(460, 300, 120, 74, rot=12, seed=93, shadow=0.4),
            text(320, 372, "Time is up", 58, fill="#f1e4c6", anchor="middle"),
            path("M236,394 L404,394", stroke="#c9a44c", stroke_width=1, opacity=0.6),
            text(320, 430, "the ink has dried before the letter was done", 20, fill="#cbbb9c",
                 anchor="middle", italic=True, family=SERIF_LIGHT),
            text(320, 462, "press a key", 17, fill="#9c8b70", anchor="middle", spacing=2),
            vignette(0.6, r=0.8)]
    write("26_timeout", "\n".join(body), note="time-out picture")


def slide_frame(items, note, name, dark="#100c0a"):
    write(name, "\n".join([rect(0, 0, W, H, fill=dark)] + items + [vignette(0.75, r=0.78)]), note=note)


@picture("intro")
def intro():
    slide_frame([
        rect(0, 0, W, H, fill=radial([(0, "#2a1f18", 1), (1, "#0c0907", 1)], cx=0.5, cy=0.45, r=0.6)),
        glow(320, 190, 90, "#ffe2a8", 0.18),
        line(320, 120, 320, 160, stroke="#b7aa90", stroke_width=1),
        crescent(320, 190, 30, 14, -6, 27, "#efe3c2"),
        text(320, 282, "a Paperlune team production", 27, fill="#eadcbd", anchor="middle",
             italic=True, family=SERIF_LIGHT),
        path("M250,304 L390,304", stroke="#c9a44c", stroke_width=1, opacity=0.55)],
        "intro slide: who presents", "27_intro_team")

    # A small town asleep; one window still lit.
    rnd = random.Random(28)
    town = [rect(0, 0, W, H, fill=linear([(0, "#0b1020", 1), (0.7, "#24325a", 1), (1, "#3a3f5a", 1)])),
            stars(28, 160, 0, 0, W, 260)]
    town += moon_in_sky(500, 100, 34, 140)
    far = "M0,330 " + " ".join("L%d,%d" % (x, 300 + rnd.randint(-20, 10)) for x in range(0, 660, 40)) + " L640,480 L0,480 Z"
    town.append(path(far, fill="#1a2036"))
    x = -10
    houses = []
    while x < W:
        hw = rnd.randint(50, 90)
        hh = rnd.randint(70, 130)
        top = 400 - hh
        houses.append(poly([(x, 480), (x, top), (x + hw / 2, top - rnd.randint(20, 40)), (x + hw, top),
                            (x + hw, 480)], fill="#0c0f1a"))
        for k in range(rnd.randint(1, 3)):
            wx = x + 10 + k * 18
            if wx + 10 < x + hw:
                lit = rnd.random() < 0.18
                houses.append(rect(wx, top + 20 + rnd.randint(0, 20), 9, 12,
                                   fill="#ffcf7a" if lit else "#1e2438", opacity=0.9 if lit else 1))
        x += hw + rnd.randint(-6, 10)
    town += houses
    town += [rect(292, 318, 14, 16, fill="#ffd88a"), glow(299, 326, 40, "#ffcf7a", 0.45)]
    slide_frame(town, "intro slide: the town at night", "28_intro_town")

    title = night_sky(0, 0, W, H, 29, top="#0b0f1c", bottom="#1f2a48")
    title += [line(452, 0, 452, 96, stroke="#c9c0aa", stroke_width=1),
              glow(452, 140, 120, "#e6ecff", 0.2),
              crescent(452, 140, 44, 22, -10, 40, "#efe3c2"),
              line(400, 0, 400, 196, stroke="#c9c0aa", stroke_width=0.8, opacity=0.7),
              poly([(400, 196), (405, 208), (418, 209), (408, 217), (411, 230), (400, 223), (389, 230),
                    (392, 217), (382, 209), (395, 208)], fill="#e9dcb8"),
              text(320, 300, "Paperlune", 96, fill="#f3e8cf", anchor="middle", family=SERIF_LIGHT,
                   spacing=2),
              path("M200,326 L440,326", stroke="#c9a44c", stroke_width=1, opacity=0.6),
              text(320, 362, "a story in letters", 26, fill="#d9cba8", anchor="middle", italic=True,
                   family=SERIF_LIGHT)]
    slide_frame(title, "intro slide: the title", "29_intro_title")

    # Morning: the letter comes through the door.
    door = [rect(0, 0, W, H, fill="#3e2a1c"),
            wood(120, 0, 400, 480, "#5a3a22", 301, grain=0.5),
            rect(120, 0, 400, 480, fill="none", stroke="#2a1a10", stroke_width=6),
            rect(160, 40, 320, 150, fill="none", stroke="#2a1a10", stroke_width=4, opacity=0.7),
            rect(160, 300, 320, 150, fill="none", stroke="#2a1a10", stroke_width=4, opacity=0.7),
            rect(0, 0, W, H, fill=radial([(0, "#ffe6b0", 0.35), (1, "#ffe6b0", 0)], cx=0.5, cy=0.5, r=0.5)),
            rect(236, 222, 168, 44, rx=4, fill=linear([(0, "#f0d890", 1), (0.5, "#b8903c", 1),
                                                      (1, "#6a4c18", 1)])),
            rect(246, 236, 148, 16, rx=2, fill="#140c06"),
            group([envelope(320, 282, 132, 80, rot=0, seed=302, address=True, shadow=0.5)],
                  clip_path=clip_rect(200, 244, 240, 140)),
            rect(246, 236, 148, 8, fill="#140c06"),
            circle(470, 250, 10, fill=linear([(0, "#f0d890", 1), (1, "#6a4c18", 1)]))]
    slide_frame(door, "intro slide: a letter through the door", "30_intro_door", dark="#2a1c12")

    mat = [wood(0, 0, W, H, "#6a4a30", 311, grain=0.6, plank=96),
           rect(90, 150, 460, 270, rx=6, fill="#6b5236"),
           noise(90, 150, 460, 270, "0.6", 2, 312, "#2a1a10", 0.8, -0.3),
           rect(100, 160, 440, 250, rx=4, fill="none", stroke="#3a2616", stroke_width=3),
           poly([(250, 0), (420, 0), (620, 480), (140, 480)], fill="#ffe9b8", opacity=0.16),
           envelope(330, 290, 200, 122, rot=-14, seed=313),
           vignette(0.6)]
    slide_frame(mat, "intro slide: the letter on the mat", "31_intro_mat")

    desk = [wood(0, 0, W, H, WALNUT, 321, plank=160),
            rect(0, 0, W, H, fill=radial([(0, LAMP, 0.45), (1, LAMP, 0)], cx=0.3, cy=0.25, r=0.7)),
            group([paper(170, 120, 280, 330, 322, base=IVORY)], transform="rotate(6 310 285)"),
            envelope(250, 170, 230, 140, rot=-8, seed=323, flap_open=True),
            pen(430, 400, 200, -30),
            candle(560, 250, 120, 28, flame=1.0, glow_r=130),
            vignette(0.6)]
    slide_frame(desk, "intro slide: the letter on the desk", "32_intro_desk")


def sapling(cx, base):
    """A young plant in a clay pot."""
    out = [path("M%s,%s L%s,%s L%s,%s L%s,%s Z" % tuple(map(f2, (
        cx - 22, base - 34, cx + 22, base - 34, cx + 16, base, cx - 16, base))), fill="#a0583a"),
        rect(cx - 25, base - 40, 50, 8, rx=2, fill="#b8694a"),
        path("M%s,%s C%s,%s %s,%s %s,%s" % tuple(map(f2, (cx, base - 40, cx - 4, base - 70, cx + 6, base - 90,
                                                           cx + 2, base - 118))),
             fill="none", stroke="#4a6a2a", stroke_width=3)]
    for dx, dy, rot in ((-14, -66, -30), (14, -84, 30), (-10, -104, -40), (10, -116, 20)):
        out.append(ellipse(cx + dx, base + dy, 14, 6, fill="#6aa048",
                           transform="rotate(%s %s %s)" % (rot, f2(cx + dx), f2(base + dy))))
    return "\n".join(out)


def ending(name, note, upper, lower_tone, seed):
    # Credits roll in white over the lower half, which the game also dims:
    # the scene keeps above y 230 and below it only a shadowed desk remains.
    body = upper + [rect(0, 226, W, 254, fill=linear([(0, lower_tone, 0.0), (0.1, lower_tone, 0.66),
                                                       (1, lower_tone, 0.85)])),
                    vignette(0.6, r=0.8)]
    write(name, "\n".join(body), note=note)


@picture("endings")
def endings():
    rnd = random.Random(18)
    pile = [wood(0, 0, W, H, "#4a2418", 181, grain=0.5),
            rect(0, 0, W, H, fill=radial([(0, "#ff8a70", 0.35), (1, "#ff8a70", 0)], cx=0.5, cy=0.2, r=0.6))]
    for i in range(46):
        pile.append(envelope(rnd.uniform(20, 620), rnd.uniform(40, 420), rnd.uniform(110, 150),
                             rnd.uniform(68, 90), rot=rnd.uniform(-40, 40),
                             color=rnd.choice(["#c6433a", "#d9675c", "#b23a33", "#e6d8c4", "#e08a7e"]),
                             seal=False, address=rnd.random() < 0.5, seed=1800 + i, shadow=0.35))
    pile.append(envelope(330, 150, 150, 92, rot=-6, seed=1899))
    pile.append(rect(0, 0, W, H, fill="#3a0808", opacity=0.15))
    ending("18_end_red", "the red ending: one letter among many", pile, "#1a0706", 18)

    sky = night_sky(70, 16, 500, 210, 19, top="#06090f", bottom="#1b2a44")
    blue = [rect(0, 0, W, H, fill="#0b1220"),
            window(70, 16, 500, 210, "#0e1626", sky + [rain(190, 260, 70, 16, 570, 226)] +
                   [drops(191, 60, 70, 16, 570, 226)], bars=3, frame="#121a28"),
            curtain(20, 0, 70, 236, "#27324a", -1),
            curtain(550, 0, 70, 236, "#27324a", 1),
            wood(0, 238, W, 242, "#2a3040", 193, grain=0.5),
            envelope(420, 220, 110, 60, rot=-3, seed=195, shadow=0.5),
            envelope(428, 212, 110, 60, rot=2, seed=196, shadow=0.3),
            rect(0, 0, W, H, fill="#1a3060", opacity=0.25),
            envelope(220, 214, 120, 64, rot=4, seed=192, shadow=0.5),
            ]
    ending("20_end_blue", "the blue ending: rain and no answer", blue, "#060a12", 20)

    gold = [wood(0, 0, W, H, "#5a3820", 241, plank=150),
            rect(0, 0, W, H, fill=radial([(0, "#ffd080", 0.55), (1, "#ffd080", 0)], cx=0.5, cy=0.25, r=0.55)),
            ribbon_bundle(300, 140, 220, 132, 6, rot=-5, ribbon="#8a5a22", seed=242),
            rose(470, 110, 22, rot=-35, stem=110),
            envelope(140, 190, 130, 80, rot=14, seed=243, shadow=0.4)]
    ending("24_end_irela", "the Irela ending: her letters kept", gold, "#140b05", 24)

    dawn = [rect(0, 0, W, H, fill="#2a1e24"),
            window(120, 16, 400, 200, "#f3b38a",
                   [rect(120, 16, 400, 200, fill=linear([(0, "#5a5a8a", 1), (0.55, "#e9a07a", 1),
                                                         (1, "#ffd6a0", 1)])),
                    glow(320, 216, 150, "#fff0c8", 0.7),
                    circle(320, 196, 26, fill="#fff3d0"),
                    path("M120,190 Q220,160 320,186 T520,176 L520,216 L120,216 Z", fill="#3a2a3a")],
                   bars=2, frame="#2a1c18"),
            rect(0, 0, W, H, fill=radial([(0, "#ffc89a", 0.3), (1, "#ffc89a", 0)], cx=0.5, cy=0.3, r=0.6)),
            curtain(60, 0, 70, 236, "#7a4a4a", -1),
            curtain(510, 0, 70, 236, "#7a4a4a", 1),
            wood(0, 238, W, 242, "#3a2628", 253, grain=0.5),
            envelope(255, 200, 150, 88, rot=-5, seed=251, address="Tovanne", shadow=0.5),
            envelope(400, 204, 140, 84, rot=7, seed=252, shadow=0.5)]
    ending("25_end_tovanne", "the Tovanne ending: a new letter at dawn", dawn, "#140c10", 25)

    hills = [rect(120, 16, 400, 200, fill=linear([(0, "#9cc7e6", 1), (1, "#e6f0e0", 1)])),
             path("M120,150 Q220,110 330,140 T520,120 L520,216 L120,216 Z", fill="#7fae5a"),
             path("M120,180 Q260,150 380,176 T520,170 L520,216 L120,216 Z", fill="#5e9444"),
             tree_crown(191, 440, 90, 70, 60, ["#4f8a3a", "#3f7a30", "#356a2a", "#2a5a22"], 140),
             rect(436, 120, 8, 96, fill="#4a3424"),
             crane(250, 70, 22, -10)]
    green = [rect(0, 0, W, H, fill="#1c2418"),
             window(120, 16, 400, 200, "#9cc7e6", hills, bars=2, frame="#2a2a1c"),
             curtain(60, 0, 70, 236, "#c9c2a0", -1),
             curtain(510, 0, 70, 236, "#c9c2a0", 1),
             wood(0, 238, W, 242, "#3a3424", 194, grain=0.5),
             sapling(200, 224),
             rect(0, 0, W, H, fill=radial([(0, "#e8ffd0", 0.25), (1, "#e8ffd0", 0)], cx=0.5, cy=0.2, r=0.6)),
             crane(560, 120, 16, 8)]
    ending("19_end_green", "the green ending: letting go", green, "#0b1008", 19)


def letter_view(name, note, upper, seed):
    # Her last letter is read in a half-white box over y 300..470, so the
    # sheet fills the lower part plainly.
    body = upper + [paper(0, 292, W, 200, seed, base="#f6eedd", shadow=0.6, edge=False),
                    rect(0, 292, W, 10, fill=linear([(0, "#000", 0.12), (1, "#000", 0)])),
                    vignette(0.5, r=0.8, inner=0.78)]
    write(name, "\n".join(body), note=note)


@picture("letterviews")
def letterviews():
    morning = [wood(0, 0, W, 300, "#7a5234", 211, plank=0),
               rect(0, 0, W, 300, fill=radial([(0, "#fff0c8", 0.4), (1, "#fff0c8", 0)], cx=0.3, cy=0.1, r=0.8)),
               envelope(250, 140, 250, 150, rot=-6, seed=212, flap_open=True),
               wax_seal(356, 100, 16),
               rose(470, 170, 20, rot=20, stem=100)]
    letter_view("21_letter_seal", "her last letter, the seal broken", morning, 213)

    photo = [wood(0, 0, W, 300, "#6a4630", 221),
             rect(0, 0, W, 300, fill=radial([(0, "#ffe0a8", 0.35), (1, "#ffe0a8", 0)], cx=0.5, cy=0.3, r=0.7)),
             group([rect(0, 0, 190, 210, fill="#f2ede2"),
                    rect(12, 12, 166, 160, fill="#161218"),
                    rect(12, 12, 166, 160, fill=radial([(0, "#f6e6c0", 0.85), (0.6, "#f6e6c0", 0.1),
                                                        (1, "#f6e6c0", 0)], cx=0.5, cy=0.25, r=0.6)),
                    poly([(70, 12), (120, 12), (150, 172), (40, 172)], fill="#fff4d8", opacity=0.12),
                    path("M84,172 L88,120 Q95,96 102,120 L106,172 Z", fill="#0a080c"),
                    circle(95, 92, 9, fill="#0a080c"),
                    rect(12, 150, 166, 22, fill="#3a1a22")],
                   transform="translate(240,50) rotate(-4)"),
             rose(130, 150, 18, rot=-50, stem=90)]
    letter_view("22_letter_photo", "her last letter, a photograph of the stage", photo, 223)

    dusk = [rect(0, 0, W, 300, fill="#2a1c18"),
            window(150, 20, 340, 200, "#e9a07a",
                   [rect(150, 20, 340, 200, fill=linear([(0, "#3a4070", 1), (0.6, "#c98070", 1),
                                                         (1, "#f0b080", 1)])),
                    crescent(400, 70, 18, 9, -4, 16, MOON),
                    path("M150,190 L190,170 L230,184 L270,160 L330,178 L380,166 L430,182 L490,170 L490,220 L150,220 Z",
                         fill="#24182a")],
                   bars=2, frame="#1e1410"),
            ribbon_bundle(320, 262, 150, 60, 3, rot=2, seed=231)]
    letter_view("23_letter_window", "her last letter, put away at dusk", dusk, 233)


POINTER = [
    "K.............",
    "KK............",
    "OKO...........",
    "OKKO..........",
    "OKKKO.........",
    "OKKKKO........",
    "OKKKKKO.......",
    "OKKKKKKO......",
    "OKKKKKKKO.....",
    "OKKKKKKKKO....",
    "OKKKKKKKKKO...",
    "OKKKKKKKKKKO..",
    "OKKKKKKOOOOOO.",
    "OKKKOKKO......",
    "OKKOOKKKO.....",
    "OKO..OKKO.....",
    "OO....OKKO....",
    "O.....OKKO....",
    ".......OKKO...",
    ".......OKKO...",
    "........OO....",
]


@picture("pointer")
def pointer():
    # Drawn pixel by pixel so that it stays crisp; the tip is the hot spot.
    # Ink inside, a cream rim so it also shows over the dark desk.
    colors = {"K": "#2a1d16", "O": "#f3e6c8"}
    cells = []
    for y, row in enumerate(POINTER):
        for x, c in enumerate(row):
            if c in colors:
                cells.append(rect(x, y, 1, 1, fill=colors[c]))
    write("09_pointer", group(cells, shape_rendering="crispEdges"), len(POINTER[0]), len(POINTER),
          note="mouse pointer")


@picture("unused")
def unused():
    write("02_unused", rect(0, 0, 16, 16, fill=IVORY), 16, 16, note="placeholder, never shown")


ICON = 256
ICON_DIR = os.path.join(HERE, "..", "desktop")


@picture("icon")
def icon():
    # The application icon: the paper moon of the winter desk hung in a night
    # window, over the corner of a letter. Shapes stay large and few so that it
    # still reads at 16 pixels; the build renders every size from this one file.
    s = ICON
    tile = clip_rect(8, 8, s - 16, s - 16, rx=44)
    sky = [rect(8, 8, s - 16, s - 16, fill=linear([(0, "#0d1322", 1), (1, NIGHT_SKY, 1)])),
           stars(2901, 14, 24, 24, s - 24, 150, rmax=2.6),
           glow(118, 104, 108, "#e9efff", 0.30)]
    moon = [line(118, 8, 118, 34, stroke="#d8d0bc", stroke_width=3, opacity=0.9),
            crescent(118, 104, 70, 38, -6, 72, "#efe3c2"),
            crescent(118, 104, 62, 38, -6, 80, "none", stroke="#c9b88f", stroke_width=3,
                     stroke_dasharray="7,8", opacity=0.85)]
    letter = group([rect(6, 8, 150, 120, fill="#000", opacity=0.45, filter=blur_filter(6)),
                    rect(0, 0, 150, 120, fill=IVORY, rx=4),
                    rect(0, 0, 150, 120, fill=linear([(0, "#fff", 0.15), (1, "#8a6a45", 0.18)]), rx=4),
                    line(22, 30, 122, 30, stroke=INK_BLUE, stroke_width=6, stroke_linecap="round"),
                    line(22, 52, 108, 52, stroke=INK_BLUE, stroke_width=6, stroke_linecap="round"),
                    line(22, 74, 116, 74, stroke=INK_BLUE, stroke_width=6, stroke_linecap="round",
                         opacity=0.55),
                    wax_seal(116, 92, 17)],
                   transform="translate(100,140) rotate(-8)")
    body = [rect(8, 8, s - 16, s - 16, fill=NIGHT, rx=44),
            group(sky + moon + [letter], clip_path=tile),
            rect(9.5, 9.5, s - 19, s - 19, fill="none", stroke="#f1e7cc", stroke_width=3, rx=43,
                 opacity=0.35)]
    write("paperlune", "\n".join(body), s, s, note="application icon", where=ICON_DIR)


def main():
    import sys
    names = sys.argv[1:] or sorted(PICTURES)
    for n in names:
        PICTURES[n]()


if __name__ == "__main__":
    main()
