#!/usr/bin/env python3
"""Writes the demo mailbox: a handful of Russian messages whose headers use
KOI8-R, Windows-1251, UTF-8 and UTF-7, some as MIME encoded words.

    demo_messages.py OUTDIR
"""
import base64
import os
import sys


def b_word(charset, text):
    return f"=?{charset}?B?{base64.b64encode(text.encode(charset)).decode()}?="


def q_word(charset, text):
    data = text.encode(charset)
    return f"=?{charset}?Q?" + "".join(
        chr(b) if chr(b).isalnum() and b < 0x80 else ("_" if b == 0x20 else f"={b:02X}")
        for b in data) + "?="


MESSAGES = [
    ("koi8", f"{b_word('koi8-r', 'Иван Петров')} <ivan@example.ru>", b_word("koi8-r", "Отчёт за ноябрь")),
    ("cp1251", f"\"{q_word('windows-1251', 'Мария Соколова')}\" <maria@example.ru>",
     q_word("windows-1251", "Встреча в пятницу в 15:00")),
    ("utf8", f"{b_word('utf-8', 'Служба доставки')} <shop@example.ru>", b_word("utf-8", "Ваш заказ отправлен")),
    ("utf7", f"{b_word('utf-7', 'Ольга')} <olga@example.ru>", b_word("utf-7", "Фотографии с дачи")),
    ("plain", "Robot <robot@example.com>", "Weekly report"),
]


def main(outdir):
    os.makedirs(outdir, exist_ok=True)
    for n, (tag, sender, subject) in enumerate(MESSAGES):
        text = (f"Message-ID: <demo-{tag}@example.ru>\r\nFrom: {sender}\r\nTo: demo@example.ru\r\n"
                f"Subject: {subject}\r\nDate: Mon, 7 Dec 2026 1{n}:05:00 +0300\r\n\r\nHello.\r\n")
        with open(os.path.join(outdir, f"{n:02d}-{tag}.eml"), "w", encoding="ascii") as f:
            f.write(text)


if __name__ == "__main__":
    main(sys.argv[1])
