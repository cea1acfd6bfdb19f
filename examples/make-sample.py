#!/usr/bin/env python3
"""Writes examples/sample.csv: a small statistics table in code page 932.

A standard heading (three RID items, then the BODY cells ｾﾙ1 to ｾﾙ6), one
record per prefecture and year, sorted by area code, quoted "X" marks for
confidential cells and "-" for none, CR LF line ends. The same bytes every
time."""
import pathlib
import random

PREFECTURES = (
    "北海道 青森県 岩手県 宮城県 秋田県 山形県 福島県 茨城県 栃木県 群馬県 埼玉県 千葉県 "
    "東京都 神奈川県 新潟県 富山県 石川県 福井県 山梨県 長野県 岐阜県 静岡県 愛知県 三重県 "
    "滋賀県 京都府 大阪府 兵庫県 奈良県 和歌山県 鳥取県 島根県 岡山県 広島県 山口県 徳島県 "
    "香川県 愛媛県 高知県 福岡県 佐賀県 長崎県 熊本県 大分県 宮崎県 鹿児島県 沖縄県"
).split()
YEARS = (2019, 2020)


def main() -> None:
    rng = random.Random(126)
    lines = ["地域コード,地域名,年次," + ",".join(f"ｾﾙ{n}" for n in range(1, 7))]
    for number, name in enumerate(PREFECTURES, start=1):
        for year in YEARS:
            cells = []
            for cell in range(1, 7):
                roll = rng.random()
                if roll < 0.06:
                    cells.append('"X"')
                elif roll < 0.09:
                    cells.append('"-"')
                elif cell == 6:
                    cells.append(f"{rng.randint(100, 9999) / 10:.1f}")
                else:
                    cells.append(str(rng.randint(100, 999999)))
            lines.append(f"{number:02d}000,{name},{year}," + ",".join(cells))
    text = "".join(line + "\r\n" for line in lines)
    path = pathlib.Path(__file__).with_name("sample.csv")
    path.write_bytes(text.encode("cp932"))


if __name__ == "__main__":
    main()
