#!/usr/bin/env python3
"""Writes samples/contacts.csv: the bundled company contact list.

Every name, company and address is invented. The output is reproducible (fixed seed),
Windows-1252 encoded with CR LF line ends, a header line, then one contact per line with
every field in double quotes, 35 fields a row. A few rows are deliberately awkward:
commas inside values, blanks around values, an empty display name, accented letters.

usage: tools/gen_sample_contacts.py [OUTPUT]   (default: samples/contacts.csv)
"""
import os
import random
import sys

COLUMNS = [
    "First Name", "Middle Name", "Last Name", "Nickname", "E-mail Address",       # 0-4
    "E-mail Type", "Display Name", "Title", "Suffix", "Job Title",                # 5-9
    "Manager's Name", "Initials", "Customer ID", "Company", "Department",          # 10-14
    "Business Phone", "Mobile Phone", "Business Fax", "Home Phone", "Home Street 2",  # 15-19
    "Home Street", "Home City", "Home State", "Pager", "Home Postal Code",          # 20-24
    "Office Location", "Assistant's Name", "Business Street", "Business City",     # 25-28
    "Business State", "Business Postal Code", "Birthday", "Web Page",              # 29-32
    "Notes", "Categories",                                                         # 33-34
]

FIRST = ["Aldo", "Bettina", "Calder", "Daria", "Emmett", "Fenna", "Gideon", "Hedda", "Ilse", "Jasper",
         "Kerstin", "Lionel", "Marit", "Nolan", "Odile", "Per", "Quilla", "Rasmus", "Signe", "Torben",
         "Ulla", "Viggo", "Wenna", "Xavi", "Yorick", "Zelda", "Anouk", "Bram", "Cosima", "Dorian",
         "Elin", "Florian", "Greta", "Hollis", "Isolde", "Joram", "Katja", "Linus", "Maren", "Niels"]
LAST = ["Abernathy", "Brackwell", "Corrigan", "Dunmore", "Eskeland", "Fairholt", "Grimsby", "Hollander",
        "Ingram", "Jessop", "Kettering", "Lindqvist", "Marchetti", "Northcott", "Oakhurst", "Pellew",
        "Quarrington", "Rushworth", "Stavely", "Thorncroft", "Underhill", "Vantongeren", "Whitlock",
        "Yardley", "Zellweger", "Ashdown", "Blackmere", "Crowther", "Daventry", "Elsworth"]
# Windows-1252 letters outside ASCII, so the code page matters.
ACCENTED_FIRST = ["J\u00f6rg", "Zo\u00eb", "Ren\u00e9e", "\u00c5sa", "Fran\u00e7oise", "Bj\u00f8rn", "In\u00e9s"]
ACCENTED_LAST = ["Mu\u00f1oz", "M\u00fcller-Strand", "Ekstr\u00f6m", "Fa\u00dfbender", "L\u00e9ger"]

TITLES = ["Engineer", "Senior Engineer", "Sales Manager", "Account Executive", "Buyer", "Controller",
          "Office Manager", "Technician", "Project Lead", "Support Specialist", "Planner", "Analyst"]
DEPARTMENTS = ["Engineering", "Sales", "Purchasing", "Finance", "Operations", "Service", "Logistics",
               "Quality"]
OFFICES = ["Building A", "Building B", "North Wing 2.14", "Plant Hall 3", "Remote"]
CITIES = [("Harrowgate Falls", "NW"), ("Pellham Cross", "ES"), ("Dunmarsh", "NW"), ("Kelby Ridge", "SO"),
          ("Aldenmoor", "ES"), ("Sorrel Bay", "SO"), ("M\u00fchlbrook", "NW")]
STREETS = ["Tanner Lane", "Quarry Road", "Mill Row", "Hazel Court", "Kestrel Way", "Foundry Street",
           "Birch Terrace", "Old Wharf"]
# The company that shares the list, and the outside firms its people deal with.
OWN = ("Halvering Tool Works", "halvering.example")
PARTNERS = [("Brightwater Castings Ltd.", "brightwater.example"),
            ("Marrow, Teague & Finch", "marrowteague.example"),        # comma inside the value
            ("Quellstone Logistics", "quellstone.example"),
            ("Ovenden Sensors, Inc.", "ovenden.example")]


def phone(rng):
    return f"+1 555 {rng.randint(100, 999)} {rng.randint(1000, 9999)}"


def ascii_name(text):
    table = {"\u00f6": "oe", "\u00eb": "e", "\u00e9": "e", "\u00c5": "A", "\u00e7": "c", "\u00f8": "o",
             "\u00f1": "n", "\u00fc": "ue", "\u00df": "ss", "\u00e8": "e"}
    return "".join(table.get(ch, ch) for ch in text).lower().replace(" ", "").replace("-", "")


def contact(rng, number):
    first = rng.choice(ACCENTED_FIRST if number % 17 == 5 else FIRST)
    last = rng.choice(ACCENTED_LAST if number % 13 == 7 else LAST)
    middle = rng.choice(["", "", "", "M.", "J.", "R."])
    company, domain = OWN if rng.random() < 0.7 else rng.choice(PARTNERS)
    city, state = rng.choice(CITIES)
    title = rng.choice(TITLES)
    row = [""] * len(COLUMNS)
    row[0], row[1], row[2] = first, middle, last
    row[3] = ascii_name(first)[:6]
    row[4] = f"{ascii_name(first)}.{ascii_name(last)}@{domain}"
    row[5] = "SMTP"
    row[6] = f"{first} {last}"
    row[9] = title
    row[11] = first[0] + (middle[:1] if middle else "") + last[0]
    row[12] = f"C{10000 + number}"
    row[13] = company
    row[14] = rng.choice(DEPARTMENTS)
    row[15] = phone(rng)
    row[16] = phone(rng) if rng.random() < 0.8 else ""
    row[17] = phone(rng) if rng.random() < 0.3 else ""
    row[18] = phone(rng) if rng.random() < 0.5 else ""
    row[20] = f"{rng.randint(1, 240)} {rng.choice(STREETS)}"
    row[21], row[22] = city, state
    row[23] = phone(rng) if rng.random() < 0.05 else ""
    row[24] = f"{rng.randint(10000, 99999)}"
    row[25] = rng.choice(OFFICES)
    row[27] = f"{rng.randint(1, 90)} Works Road"
    row[28] = "Harrowgate Falls"
    row[29] = "NW"
    row[31] = f"{rng.randint(1960, 2000)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}" if rng.random() < 0.3 else ""
    row[32] = f"http://www.{domain}/"
    row[34] = "Staff" if company == OWN[0] else "Partners"
    return row


def awkward(rows):
    # Blanks around values, inside their quotes.
    rows[10][6] = "  " + rows[10][6] + " "
    rows[10][9] = " " + rows[10][9]
    rows[11][21] = rows[11][21] + "   "
    # A display name left empty (the Windows Contacts file name then falls back to an identifier).
    rows[20][6] = ""
    rows[21][6] = "   "
    # Commas inside values.
    rows[30][20] = "Unit 4, Kestrel Way"
    rows[31][9] = "Head of Sales, North"
    rows[32][13] = "Marrow, Teague & Finch"
    # Accented letters in the code page.
    for row, (first, last) in zip(rows[40:42], [("Fran\u00e7oise", "L\u00e9ger"), ("\u00c5sa", "Ekstr\u00f6m")]):
        row[0], row[2], row[6] = first, last, f"{first} {last}"
        row[3], row[11] = ascii_name(first)[:6], first[0] + row[1][:1] + last[0]
        row[4] = f"{ascii_name(first)}.{ascii_name(last)}@{row[4].split('@')[1]}"
    rows[40][21] = "M\u00fchlbrook"


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "samples",
                                                              "contacts.csv")
    rng = random.Random(20261208)
    rows = [contact(rng, n) for n in range(240)]
    awkward(rows)
    lines = [",".join(f'"{c}"' for c in COLUMNS)]
    lines += [",".join(f'"{v}"' for v in row) for row in rows]
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    with open(out, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))


if __name__ == "__main__":
    main()
